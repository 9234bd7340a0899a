// The commands of the main window's menu and toolbar; each picture runs its menu item's handler.

#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>

#include "engine/nodrel1.h"
#include "ui/elenco/form4.h"
#include "ui/main/form2.h"
#include "ui/toolkit/controlli.h"
#include "ui/toolkit/messaggi.h"
#include "ui/toolkit/tastiera.h"

namespace nodrel {

namespace {

std::u16string U16(const QString& testo) {
    return testo.toStdU16String();
}

}  // namespace

void Form2::Comando(void (Form2::*gestore)()) {
    // An unexpected error (an unopened register, a missing value) ends the command with a
    // message; the window stays usable.
    ConTrappola(this, [this, gestore] { (this->*gestore)(); });
}

void Form2::mncalcola_Click() {
    if (Text7->text().size() > 10) {
        Text7->setText(Text7->text().left(10));
    }
    // The date as composition reads it, written as the field shows a date.
    const NODREL1::DataLetta data = NODREL1::LeggiDataNascita(U16(Text7->text()), modulo.Oggi());
    if (data.Valida() && Text7->text() != QString::fromStdU16String(std::u16string(data.Testo()))) {
        Text7->setText(QString::fromStdU16String(std::u16string(data.Testo())));
    }
    NODREL1::Modulo& m = modulo;
    const NODREL1::Comune* scelto = CopiaNelModulo();
    const NODREL1::Composizione esito = m.CalcolaCodice(scelto, completamento.provinciaIndicata);
    // Text6 and Text8 show the municipality used, the one of the birth date, whatever province
    // was typed.
    if (esito.comune != nullptr) {
        MostraComune(*esito.comune, esito.comune == scelto);
    }
    if (esito.rifiuto) {
        nodrel::MsgBox(this, QString::fromStdU16String(NODREL1::TestoRifiuto(*esito.rifiuto)));
        if (esito.rifiuto->campo == NODREL1::Campo::Text5) {
            // The name stays, selected, to be mended; it names no municipality.
            const bool vuoto = NODREL1::SenzaSpaziEsterni(U16(Text5->text())).empty();
            NessunComune(vuoto || !m.registro ? QString() : QStringLiteral("?"));
            SegnaNonInElenco(!vuoto && m.registro);
            completamento.segnalato = !vuoto;
            Text5->selectAll();
        }
        Campo(esito.rifiuto->campo)->setFocus();
        // No code at all rather than one of earlier data.
        Text1->setText(QString());
        return;
    }
    Text1->setText(QString::fromStdU16String(m.Codice));
    emit PersonaMostrata();
    if (esito.nonInVigore) {
        nodrel::MsgBox(this, QString::fromStdU16String(NODREL1::kMsgComuneNonInVigore));
    }
}

const NODREL1::Comune* Form2::CopiaNelModulo() {
    NODREL1::Modulo& m = modulo;
    m.Cognome = U16(Text2->text());
    m.Nome = U16(Text3->text());
    m.Sesso = U16(Cbosesso->currentText());
    m.Luogo = U16(Text5->text());
    m.Provincia = U16(Text6->text());
    // The date as composition takes it, the field left as it is.
    m.DataNascita = U16(Text7->text().left(10));
    return SceltoDallUtente();
}

NODREL1::Corrispondenza Form2::ConfrontaConICampi() {
    const NODREL1::Comune* scelto = CopiaNelModulo();
    const NODREL1::Modulo& m = modulo;
    const NODREL1::Persona p{m.Cognome,
                             m.Nome,
                             m.Sesso,
                             m.Luogo,
                             completamento.provinciaIndicata ? m.Provincia : std::u16string(),
                             m.DataNascita,
                             scelto};
    return NODREL1::VerificaCorrispondenza(p, U16(Text1->text()), m.registro.get(), m.Oggi());
}

void Form2::mncorrispondenza_Click() {
    const NODREL1::Corrispondenza esito = ConfrontaConICampi();
    nodrel::MsgBox(this, QString::fromStdU16String(NODREL1::MessaggioCorrispondenza(esito)));
    if (esito.rifiuto) {
        Campo(esito.rifiuto->campo)->setFocus();
    }
}

void Form2::mncontrolla_Click() {
    modulo.Codice = U16(Text1->text());
    // A right code whose municipality the register lacks is named as the lists name it.
    const NODREL1::Decodificato letto = modulo.EstraiDati(modulo.Codice);
    const bool sconosciuto = letto.dati && letto.registro && letto.comune == nullptr;
    nodrel::MsgBox(this, QString::fromStdU16String(NODREL1::MessaggioVerifica(
                             NODREL1::EsaminaCodice(modulo.Codice), sconosciuto)));
}

QString Form2::CodiceDaCopiare() const {
    if (Text1->hasSelectedText() && Text1->selectedText() != Text1->text()) {
        return Text1->selectedText();
    }
    // A web form of sixteen characters would cut the display form's blanks short.
    return QString::fromStdU16String(NODREL1::TogliSpazi(U16(Text1->text())));
}

void Form2::mncopiacodice_Click() {
    const QString codice = Text1->text().remove(QLatin1Char(' '));
    if (!codice.isEmpty()) {
        QGuiApplication::clipboard()->setText(codice);
    }
}

void Form2::mnestraii_Click() {
    if (Text1->text().isEmpty()) {
        nodrel::MsgBox(this, QStringLiteral("INSERIRE IL CODICE FISCALE  E SELEZIONARE NUOVAMENTE "
                                            "'ESTRAI DATI'"));
        Text1->setFocus();
        return;
    }
    modulo.Codice = U16(Text1->text());
    const NODREL1::Decodificato esito = modulo.EstraiDati(modulo.Codice);
    const NODREL1::Esame esame = NODREL1::EsaminaCodice(modulo.Codice);
    if (!esito.dati && esame.numerico && esame.Corretto()) {
        // A right code all the same: it stays as it is.
        nodrel::MsgBox(this, QString::fromStdU16String(NODREL1::kMsgCodiceNumerico));
        Text1->setFocus();
        return;
    }
    if (!esito.dati) {
        // The code stays, selected: one wrong character does not cost the whole code.
        nodrel::MsgBox(this, QString::fromStdU16String(NODREL1::kMsgCodiceNonValido));
        Text1->setFocus();
        Text1->selectAll();
        return;
    }
    const NODREL1::DatiCodice& dati = *esito.dati;
    Text2->setText(QString::fromStdU16String(dati.cognome));
    Text3->setText(QString::fromStdU16String(dati.nome));
    Cbosesso->setCurrentIndex(dati.donna ? 1 : 0);
    Text7->setText(QString::fromStdU16String(dati.data));
    // The place is the code's, or none: an earlier person's town never stays beside these data.
    completamento = {};
    SegnaNonInElenco(false);
    if (esito.comune == nullptr) {
        Text5->setText(QString());
        NessunComune(QString());
        emit PersonaMostrata();
        nodrel::MsgBox(this, QString::fromStdU16String(
                                 esito.registro ? std::u16string(NODREL1::kMsgComuneNonInElenco)
                                                : NODREL1::FasMsg(NODREL1::Errore(
                                                      NODREL1::kErrRegistroNonAperto,
                                                      u"L'archivio dei comuni non è aperto"))));
        return;
    }
    Text5->setText(QString::fromStdU16String(esito.comune->nome));
    completamento.digitato = Text5->text();
    // Composing again gives the code back: its municipality is kept as the user's choice.
    MostraComune(*esito.comune, true);
    emit PersonaMostrata();
}

void Form2::mncancella_Click() {
    Text1->setText(QString());
    Text2->setText(QString());
    Text3->setText(QString());
    Cbosesso->setCurrentIndex(0);
    Text5->setText(QString());
    Text6->setText(QString());
    Text7->setText(QString());
    // Nothing of the last person's municipality is left to be composed with.
    Text8->setText(QString());
    completamento = {};
    SegnaNonInElenco(false);
    Text2->setFocus();
}

void Form2::mnesci_Click() {
    close();
}

Form4* Form2::Elenco() const {
    return elenco_;
}

Form4* Form2::NuovoElenco() {
    auto* elenco = new Form4(this);
    elenco->ImpostaRegistro(modulo.registro);
    connect(elenco, &Form4::PersonaScelta, this, &Form2::ApplicaPersona);
    return elenco;
}

void Form2::mnelenco_Click() {
    if (!elenco_) {
        elenco_ = NuovoElenco();
    }
    elenco_->show();
    elenco_->raise();
    elenco_->activateWindow();
    elenco_->ImpostaRegistro(modulo.registro);
}

void Form2::VerificaElenchi(const QStringList& file) {
    // A window for each list, side by side as the window manager places them; the last one is
    // the one "Verifica elenco..." brings back.
    for (const QString& percorso : file) {
        elenco_ = NuovoElenco();
        elenco_->show();
        elenco_->VerificaFile(percorso);
    }
}

void Form2::ApplicaPersona(const PersonaElenco& persona) {
    Text1->setText(persona.codice.trimmed().toUpper());
    if (persona.persona) {
        // Where the row leaves the person open (no sex, a homonym without its province), its
        // own right code tells: the fields then give that code back.
        const NODREL1::Decodificato letto = NODREL1::Decodifica(
            Text1->text().toStdU16String(), modulo.registro.get(), modulo.Oggi());
        Text2->setText(persona.cognome.trimmed().toUpper());
        Text3->setText(persona.nome.trimmed().toUpper());
        const std::u16string_view sesso = NODREL1::LeggiSesso(persona.sesso.toStdU16String());
        const bool donna = sesso == u"F" || (sesso.empty() && letto.dati && letto.dati->donna);
        Cbosesso->setCurrentIndex(donna ? 1 : 0);
        // A date as the field takes it, GG/MM/AAAA, from 1/2/1990 or a list's AAAA-MM-GG too.
        const QString data = persona.data.trimmed();
        const NODREL1::DataLetta letta =
            NODREL1::LeggiDataNascita(data.toStdU16String(), modulo.Oggi());
        Text7->setText(letta.Valida() ? QString::fromStdU16String(std::u16string(letta.Testo()))
                                      : data);
        const std::u16string luogo = NODREL1::NomeComune(persona.luogo.toStdU16String());
        const QString provincia = persona.provincia.trimmed().toUpper();
        ImpostaLuogo(QString::fromStdU16String(luogo), provincia);
        if (letto.dati && modulo.registro &&
            Text8->text() != QString::fromStdU16String(letto.dati->catastale)) {
            for (const NODREL1::Comune& c : modulo.registro->Omonimi(luogo)) {
                if (c.codice == letto.dati->catastale &&
                    (provincia.isEmpty() ||
                     NODREL1::ConfrontaNomi(c.provincia, provincia.toStdU16String()) == 0)) {
                    Text5->setText(QString::fromStdU16String(c.nome));
                    MostraComune(c, true);
                    break;
                }
            }
        }
    }
    raise();
    activateWindow();
}

void Form2::mninformazioni_Click() {
    emit InformazioniRichieste();
}

}  // namespace nodrel
