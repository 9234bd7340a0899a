#pragma once

#include <QMainWindow>
#include <QPointer>
#include <optional>

#include "engine/nodrel1.h"
#include "ui/print/tessera.h"

class QAction;
class QComboBox;
class QLabel;

namespace nodrel {

class TextBox;
class Immagine;
class DialogoStampante;
class Form3;
class Form4;
struct PersonaElenco;

// Text5's tool tip; a name not in the register shows "Comune non in elenco" in its place.
inline constexpr char kSuggerimentoComune[] =
    "Inserire i primi caratteri del nome del comune. Confermare con INVIO quando appare il nome "
    "completo";

// The completion of the municipality field in one place: it drives Text5, Text6 and Text8,
// whose texts the program only writes. Text6 and Text8 show a municipality only while Text5
// shows its name.
struct Completamento {
    // The field's text without its outer blanks at the last key handled.
    QString digitato;
    // The record whose province and code Text6 and Text8 show, by its place in name order; none
    // when they show nothing or "?".
    std::optional<NODREL1::Registro::Posizione> scelto;
    // That record is the user's choice (Down or Up, or a decoding), which composition keeps;
    // otherwise it is the completion's offer, which the date of birth may overrule.
    bool dellUtente = false;
    // The user typed the province into Text6: composition looks for the name in it.
    bool provinciaIndicata = false;
    // The user changed the field's text since its last lookup: caret moves, selections and
    // copies change nothing.
    bool modificato = false;
    // No name begins with the text typed: the field is dark red, Text6 and Text8 show "?".
    bool nonInElenco = false;
    // The user was told that this name is not in the register.
    bool segnalato = false;
};

// The main window, in which all work is done.
class Form2 : public QMainWindow {
    Q_OBJECT

public:
    ~Form2() override;

    // The loaded window, or nullptr.
    static Form2* Istanza();
    // Shows the window, loading it first (which runs its start-up) when it is not loaded;
    // a window already shown comes to the front.
    static Form2* Mostra();

    // The window's own dialogs while they are open, or nullptr.
    Form3* Anteprima() const;
    Form4* Elenco() const;

    // The fields.
    TextBox* Text1;  // fiscal code
    TextBox* Text2;  // surname(s)
    TextBox* Text3;  // given name(s)
    TextBox* Text5;  // municipality of birth
    TextBox* Text6;  // province
    TextBox* Text7;  // date of birth GG/MM/AAAA
    TextBox* Text8;  // cadastral code, never visible
    QComboBox* Cbosesso;

    // The printer dialog component, shared with the print preview.
    DialogoStampante* CommonDialog1;

    // Commands of the menu and the toolbar.
    void mnimpstampa_Click();
    void mnstampa_Click();
    void mnesportapdf_Click();
    void mnesci_Click();
    void mncancella_Click();
    void mncopiacodice_Click();
    void mncalcola_Click();
    void mncorrispondenza_Click();
    void mncontrolla_Click();
    void mnestraii_Click();
    void mnelenco_Click();
    void mnaggiorna_Click();
    void mnguida_Click();
    void mninformazioni_Click();
    // The lists named on the command line, each checked in a list window of its own.
    void VerificaElenchi(const QStringList& file);

    // Key handlers of the fields.
    void Text2_KeyPress(QChar carattere);
    void Text3_KeyPress(QChar carattere);
    void Text7_KeyPress(QChar carattere);
    void Cbosesso_KeyPress(QChar carattere);
    void Text1_KeyPress(QChar carattere);
    void Text5_KeyPress(QChar carattere);
    void Text5_KeyUp(Qt::Key tasto);

    // The engine's module variables and the register, which the commands hand to the engine.
    NODREL1::Modulo modulo;
    Completamento completamento;

    // Shows a record of the register as the municipality of the name in Text5: its province in
    // Text6, its code in Text8; `dellUtente` when the user chose it (Down or Up, a decoding).
    void MostraComune(const NODREL1::Comune& comune, bool dellUtente);
    // A place as a list gives it: the name and the province, which counts as the user's, and
    // the municipality they name on the date in Text7.
    void ImpostaLuogo(const QString& luogo, const QString& provincia);
    // A list's row chosen in a list window: its code, and its person when the list has one,
    // written into the fields as the user would type them.
    void ApplicaPersona(const PersonaElenco& persona);

signals:
    // "&Informazioni": the information window is wanted.
    void InformazioniRichieste();
    // A code was composed or decoded: the fields show a person.
    void PersonaMostrata();

protected:
    void closeEvent(QCloseEvent* evento) override;

private:
    Form2();
    void CreaControlli();
    void RendiAccessibile();
    void CreaMenu();
    void Form_Load();
    TextBox* Campo(NODREL1::Campo campo) const;
    void Completa(const QString& digitato);
    void Scorri(bool avanti);
    // Text6 and Text8 show no municipality: empty, or the marker "?" of a name not in the
    // register.
    void NessunComune(const QString& segno);
    // The record the user chose, for composition; nullptr when none.
    const NODREL1::Comune* SceltoDallUtente() const;
    // Whether the municipality field's text is the name of a record of the register.
    bool NomeNelRegistro() const;
    // Text1 as a copy takes it: the whole code without the display form's blanks, else the
    // part selected.
    QString CodiceDaCopiare() const;
    void SegnaNonInElenco(bool nonInElenco);
    // Tells the user, once per name, that the name typed is not in the register.
    void SegnalaNonInElenco();
    void Comando(void (Form2::*gestore)());
    // The fields copied into the module's variables; the record the user chose.
    const NODREL1::Comune* CopiaNelModulo();
    // The fields' person set against the code in Text1; no field changes.
    NODREL1::Corrispondenza ConfrontaConICampi();
    // The card as the preview, the print and the PDF show it.
    DatiTessera DatiDellaTessera() const;
    bool ConfermaTessera();

    // A list window of this window's, its register handed over and its rows' persons taken.
    Form4* NuovoElenco();

    QPointer<Form3> anteprima_;
    QPointer<Form4> elenco_;
};

}  // namespace nodrel
