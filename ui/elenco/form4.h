#pragma once

#include <QAbstractTableModel>
#include <QDialog>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/registro.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QTableView;
class QThread;

namespace nodrel {

// One line of a checked list as the table keeps it: the code as given and the reason are
// UTF-8, as read.
struct RigaVerificata {
    std::uint64_t riga = 0;
    std::string codice;
    std::string motivo;
    bool corretto = false;
};

// The results of a list: riga, codice, esito, motivo; sorted by any column on request.
class ModelloElenco : public QAbstractTableModel {
    Q_OBJECT

public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& genitore = {}) const override;
    int columnCount(const QModelIndex& genitore = {}) const override;
    QVariant data(const QModelIndex& indice, int ruolo) const override;
    QVariant headerData(int sezione, Qt::Orientation verso, int ruolo) const override;
    void sort(int colonna, Qt::SortOrder ordine) override;

    void Svuota();
    void Aggiungi(std::vector<RigaVerificata> righe);
    const std::vector<RigaVerificata>& Righe() const { return righe_; }

private:
    std::vector<RigaVerificata> righe_;
};

// The window that checks a whole list of codes, from a file or pasted, off the user-interface
// thread: a million codes leave the window free, with a progress bar and a way to stop.
// A window of its own, owned by the main window, which goes on working beside it.
class Form4 : public QDialog {
    Q_OBJECT

public:
    explicit Form4(QWidget* proprietario);
    ~Form4() override;

    QPushButton* Command1;  // "Apri file..."
    QPushButton* Command2;  // "Incolla elenco"
    QPushButton* Command3;  // "Salva risultati..."
    QPushButton* Command4;  // "Interrompi"
    QPushButton* Command5;  // "Chiudi"
    QLabel* Label1;         // the summary
    QProgressBar* ProgressBar1;
    QTableView* Grid1;

    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();

    // Checks a file, or a text given as it is; the work goes on in the background.
    void VerificaFile(const QString& percorso);
    void VerificaTesto(const QByteArray& testo);
    bool InCorso() const { return lavoro_ != nullptr; }
    // The main window's register, which the background check reads too: it never changes. Without
    // one the window opens the register itself for each list.
    void ImpostaRegistro(std::shared_ptr<const NODREL1::Registro> registro) {
        registro_ = std::move(registro);
    }

protected:
    void closeEvent(QCloseEvent* evento) override;

private:
    // `leggi` fills its buffer and returns how much it read, 0 at the end, -1 on a failure.
    using Lettore = std::function<qint64(char* dati, qint64 quanto)>;
    void Avvia(Lettore leggi, qint64 totale, const QString& nome);
    void Ferma();
    void Ricevi(std::vector<RigaVerificata> righe, qint64 letti, const QString& riepilogo);
    void Finito(bool interrotto, bool fallito, const QString& riepilogo);
    void AggiornaPulsanti();

    ModelloElenco* modello_;
    QThread* lavoro_ = nullptr;
    std::shared_ptr<std::atomic<bool>> interrompi_;
    int corsa_ = 0;  // the list being checked; results of an earlier one are dropped
    qint64 totale_ = 0;
    QString nome_;
    std::shared_ptr<const NODREL1::Registro> registro_;
};

}  // namespace nodrel
