#pragma once

// A list checked off the user-interface thread for the list window: the lists' one driver run
// on a thread of its own, its rows and progress sent to the window through queued signals, a
// lot of rows at a time, and the run stopped on request.

#include <QElapsedTimer>
#include <QObject>
#include <QSemaphore>
#include <QString>
#include <memory>
#include <stop_token>
#include <string>

#include "engine/registro.h"
#include "lists/esecuzione.h"
#include "lists/forma.h"

namespace nodrel {

class LavoroElenco : public QObject, private Destinazione, private Osservatore {
    Q_OBJECT

public:
    // The list from `sorgente`, looked up in `registro` (or, without one, in the register file
    // at `percorsoRegistro`, opened for this list).
    LavoroElenco(Sorgente sorgente, std::shared_ptr<const NODREL1::Registro> registro,
                 QString percorsoRegistro);

    // Runs the list to its end, or until Ferma; on the thread this object lives on.
    void Esegui();
    // Asks the run to stop, from any thread: it stops within a block of the list.
    void Ferma();
    // The window has taken `byte` bytes of rows: as many more may be sent.
    void Prese(qint64 byte) { inViaggio_.release(static_cast<int>(byte)); }

signals:
    // Rows as ModelloElenco::Scrivi writes them, and the list's layout so far.
    void Arrivate(const std::string& righe, const nodrel::FormaElenco& forma, int celle);
    // How far the run is, in thousandths.
    void Avanza(int millesimi);
    // A failure that does not stop the run, in Italian.
    void Avvisa(const QString& testo);
    // The run is over; `foglio` is the sheet read when the workbook had more than one.
    void Finito(int esito, const QString& perche, const QString& foglio);

private:
    void Voce(const VoceElenco& voce) override;
    void Avviso(std::string_view perche) override;
    void Avanzamento(std::uint64_t letti, std::uint64_t totale, int lettura, int letture) override;
    // Sends the rows gathered so far, once the window has room for them.
    void Consegna();

    Sorgente sorgente_;
    RegistroAtteso registro_;
    std::stop_source fermo_;
    // The bytes of rows the window may still be sent before it takes those it has: the run
    // waits rather than pile up rows the table has not taken yet.
    QSemaphore inViaggio_;
    std::unique_ptr<Esecuzione> esecuzione_;
    std::string righe_;
    int celle_ = 0;
    int millesimi_ = -1;
    QElapsedTimer tempo_;
};

}  // namespace nodrel
