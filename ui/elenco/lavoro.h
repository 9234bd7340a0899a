#pragma once

// A list checked off the user-interface thread for the list window: the lists' one driver run
// on a thread of its own, its rows (as the table keeps them) and progress sent to the window
// through queued signals, a lot of rows at a time, and the run stopped on request.

#include <QElapsedTimer>
#include <QMutex>
#include <QObject>
#include <QSemaphore>
#include <QString>
#include <cstdio>
#include <memory>
#include <stop_token>

#include "engine/registro.h"
#include "lists/esecuzione.h"
#include "lists/scrittura.h"
#include "ui/elenco/modello.h"

namespace nodrel {

class LavoroElenco : public QObject, private Destinazione, private Osservatore {
    Q_OBJECT

public:
    // The list from `sorgente`, looked up in `registro` (or, without one, in the register file
    // at `percorsoRegistro`, opened for this list); a stream it is given it closes at its end.
    // `foglio`: the list cannot be read again (a spreadsheet, a pipe): the table keeps its rows'
    // cells.
    LavoroElenco(Sorgente sorgente, bool foglio, std::shared_ptr<const NODREL1::Registro> registro,
                 QString percorsoRegistro);
    ~LavoroElenco() override;

    // Runs the list to its end, or until Ferma; on the thread this object lives on.
    void Esegui();
    // Asks the run to stop, from any thread: it stops within a block of the list.
    void Ferma();
    // The window has taken `byte` bytes of rows (Lotto::Byte): as many more may be sent.
    void Prese(std::size_t byte);
    void Restituisci(std::shared_ptr<ModelloElenco::Lotto> lotto);

signals:
    // A lot of rows; the window gives it back (Restituisci) once taken, for the next one.
    void Arrivate(std::shared_ptr<nodrel::ModelloElenco::Lotto> lotto);
    // How far the run is, in thousandths.
    void Avanza(int millesimi);
    // A failure that does not stop the run, in Italian.
    void Avvisa(const QString& testo);
    // The run is over; `foglio` is the sheet read when the workbook had more than one.
    void Finito(int esito, const QString& perche, const QString& foglio);

private:
    void Voce(const VoceElenco& voce) override;
    // Runs of plain rows come as the command line's lines, judged on two threads, with the
    // places of their rows.
    const CodeVerifica* Code() const override { return foglio_ ? nullptr : &code_; }
    bool Posti() const override { return !foglio_; }
    void Semplici(std::string_view righe, std::uint64_t primo,
                  std::span<const std::uint64_t> posti) override;
    void Dopo();
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
    bool foglio_;  // the rows bring their cells
    ModelloElenco::Raccolta raccolta_;
    // Lots taken and given back: their room serves again, without new pages to fill.
    QMutex mutex_;
    std::vector<std::shared_ptr<ModelloElenco::Lotto>> liberi_;
    CodeVerifica code_;
    int millesimi_ = -1;
    QElapsedTimer tempo_;
};

}  // namespace nodrel
