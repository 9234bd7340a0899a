#pragma once

#include <QDialog>
#include <QString>
#include <memory>
#include <string>

#include "engine/registro.h"
#include "lists/esecuzione.h"
#include "lists/forma.h"
#include "ui/elenco/modello.h"

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTableView;
class QThread;

namespace nodrel {

class LavoroElenco;

// A row's person as the list gives it, for the main window: its cells as they stand, the
// columns the list has not left empty.
struct PersonaElenco {
    QString codice;
    QString cognome;
    QString nome;
    QString sesso;
    QString data;
    QString luogo;
    QString provincia;
    bool persona = false;  // the list has the person's columns, not the code alone
};

// The window that checks a whole list of codes, from a file (text, CSV, .xlsx, .ods) or pasted,
// off the user-interface thread: a million codes leave the window free, with a progress bar and
// a way to stop. A window of its own, owned by the main window, which goes on working beside
// it; a double-click hands a row's person (or code) to it (PersonaScelta).
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
    QCheckBox* Check1;      // "Solo errati"
    QLabel* Label1;         // the summary
    QProgressBar* ProgressBar1;
    QTableView* Grid1;

    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Check1_Click();
    void Grid1_DblClick(const QModelIndex& indice);

    // Checks a file, or a text given as it is; the work goes on in the background.
    void VerificaFile(const QString& percorso);
    void VerificaTesto(const QByteArray& testo);
    bool InCorso() const { return filo_ != nullptr; }
    // The main window's register, which the background check reads too: it never changes. Without
    // one the window opens the register itself for each list.
    void ImpostaRegistro(std::shared_ptr<const NODREL1::Registro> registro) {
        registro_ = std::move(registro);
    }

    // Escape closes as the close box does, asking first about results not saved.
    void reject() override;

signals:
    void PersonaScelta(const nodrel::PersonaElenco& persona);

protected:
    void closeEvent(QCloseEvent* evento) override;

private:
    // The window made ready for a new list, the rows of the last one gone; then its run started.
    void Prepara(const QString& nome);
    void Avvia(Sorgente sorgente, bool foglio);
    void Ferma();
    void Ricevi(const ModelloElenco::Lotto& lotto);
    // The list's rows can no longer be read as they were checked: the user is told.
    void Illeggibile();
    QString PercheIlleggibile(bool salvando) const;
    void Finito(int esito, const QString& perche);
    void AggiornaPulsanti();
    void MostraRiepilogo();
    bool Salva();
    // The rows to save, all of them or those shown; the reason a save failed, or nothing.
    void DaSalvare(std::size_t i, bool tutte, ModelloElenco::Riga& r) const;
    QString SalvaCsv(const QString& percorso, bool tutte) const;
    QString SalvaFoglio(const QString& percorso, bool tutte) const;

    ModelloElenco* modello_;
    // The run in the background and its thread, while there is one.
    QThread* filo_ = nullptr;
    LavoroElenco* lavoro_ = nullptr;
    int corsa_ = 0;  // the list being checked; results of an earlier one are dropped
    QString nome_;
    QString avviso_;  // why the municipalities went unchecked, if they did
    QString foglio_;  // the sheet read, of a workbook of several
    bool interrotto_ = false;
    bool salvato_ = true;           // nothing to lose on closing
    bool larghezzeScelte_ = false;  // the user resized a column of the results
    std::shared_ptr<const NODREL1::Registro> registro_;
};

}  // namespace nodrel
