#pragma once

#include <QMainWindow>
#include <QPointer>

#include "engine/finestra.h"
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

// The register writes an accented vowel as the vowel and an apostrophe (FORLI'), and so does
// typing one into the municipality field: Ì gives I'.
QString AccentiComeApostrofi(const QString& testo);

// The main window, in which all work is done.
class Form2 : public QMainWindow, public NODREL1::Finestra {
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
    void closeEvent(QCloseEvent* evento) override;

private:
    Form2();
    void CreaControlli();
    void CreaMenu();
    void Form_Load();
    TextBox* Campo(NODREL1::Campo campo) const;
    void Completa(const QString& digitato);
    void Scorri(bool avanti);
    void Comando(void (Form2::*gestore)());
    // The card as the preview, the print and the PDF show it.
    DatiTessera DatiDellaTessera() const;
    bool ConfermaTessera();

    QPointer<Form3> anteprima_;
    QPointer<Form4> elenco_;
};

}  // namespace nodrel
