#pragma once

#include <QMainWindow>

#include "engine/finestra.h"
#include "ui/toolkit/finestra_unica.h"

class QAction;
class QComboBox;
class QLabel;

namespace nodrel {

class TextBox;
class Immagine;
class DialogoStampante;

// The register writes an accented vowel as the vowel and an apostrophe (FORLI'), and so does
// typing one into the municipality field: Ì gives I'.
QString AccentiComeApostrofi(const QString& testo);

// The main window, in which all work is done.
class Form2 : public QMainWindow, public NODREL1::Finestra, public FinestraUnica<Form2> {
    Q_OBJECT

public:
    ~Form2() override;

    // Shows the window, loading it first (which runs its start-up) when it is not loaded;
    // a window already shown comes to the front, or the print preview that has it disabled.
    static Form2* Mostra();

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
    void mnesci_Click();
    void mncancella_Click();
    void mncalcola_Click();
    void mncontrolla_Click();
    void mnestraii_Click();
    void mnelenco_Click();
    void mninformazioni_Click();

    // Key handlers of the fields.
    void Text2_KeyPress(QChar carattere);
    void Text3_KeyPress(QChar carattere);
    void Text7_KeyPress(QChar carattere);
    void Cbosesso_KeyPress(QChar carattere);
    void Text5_KeyPress(QChar carattere);
    void Text5_KeyUp(Qt::Key tasto);

    // What the engine needs of the window.
    std::u16string Testo(NODREL1::Campo campo) override;
    void ImpostaTesto(NODREL1::Campo campo, const std::u16string& testo) override;
    void DaiFuoco(NODREL1::Campo campo) override;
    void SelezionaTutto(NODREL1::Campo campo) override;
    void SelezionaSesso(int voce) override;
    void MsgBox(const std::u16string& testo) override;
    void AccendiMaiuscole() override;

signals:
    // "&Informazioni": the information window is wanted.
    void InformazioniRichieste();

protected:
    void changeEvent(QEvent* evento) override;
    void closeEvent(QCloseEvent* evento) override;

private:
    friend class FinestraUnica<Form2>;
    Form2();
    void CreaControlli();
    void CreaMenu();
    void Form_Load();
    TextBox* Campo(NODREL1::Campo campo) const;
    void Completa(const QString& digitato);
    void Scorri(bool avanti);
    void Comando(void (Form2::*gestore)());
};

}  // namespace nodrel
