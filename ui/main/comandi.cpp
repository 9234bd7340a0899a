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
    // A name not in the register that the user was not told about yet, before the refusal.
    if (completamento.nonInElenco && !completamento.segnalato &&
        !NODREL1::SenzaSpaziEsterni(U16(Text5->text())).empty()) {
        SegnalaNonInElenco();
    }
    NODREL1::Modulo& m = modulo;
    const NODREL1::Composizione esito = m.CalcolaCodice(CopiaNelModulo());
    // Text6 and Text8 show the municipality used, the one of the birth date, whatever province
    // was typed.
    if (esito.comune != nullptr) {
        MostraComune(*esito.comune);
    }
    if (esito.rifiuto) {
        nodrel::MsgBox(this, QString::fromStdU16String(std::u16string(esito.rifiuto->messaggio)));
        if (esito.rifiuto->svuotaLuogo) {
            Text5->setText(QString());
            Text6->setText(QString());
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
    return completamento.scelto ? &(*m.registro)[*completamento.scelto] : nullptr;
}

NODREL1::Corrispondenza Form2::ConfrontaConICampi() {
    const NODREL1::Comune* scelto = CopiaNelModulo();
    const NODREL1::Modulo& m = modulo;
    const NODREL1::Persona p{m.Cognome,   m.Nome,        m.Sesso, m.Luogo,
                             m.Provincia, m.DataNascita, scelto};
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
    nodrel::MsgBox(this, QString::fromStdU16String(
                             NODREL1::MessaggioVerifica(NODREL1::EsaminaCodice(modulo.Codice))));
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
    if (!esito.registro) {
        emit PersonaMostrata();
        nodrel::MsgBox(
            this, QString::fromStdU16String(NODREL1::FasMsg(NODREL1::Errore(
                      NODREL1::kErrRegistroNonAperto, u"L'archivio dei comuni non è aperto"))));
        return;
    }
    if (esito.comune == nullptr) {
        emit PersonaMostrata();
        nodrel::MsgBox(this, QString::fromStdU16String(NODREL1::kMsgComuneNonInElenco));
        return;
    }
    Text5->setText(QString::fromStdU16String(esito.comune->nome));
    MostraComune(*esito.comune);
    // The name is the register's own now; its colour stays as the last key left it.
    completamento.nonInElenco = false;
    Text5->setToolTip(QString::fromLatin1(kSuggerimentoComune));
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
        Text2->setText(persona.cognome.trimmed().toUpper());
        Text3->setText(persona.nome.trimmed().toUpper());
        Cbosesso->setCurrentIndex(
            persona.sesso.trimmed().startsWith(u'F', Qt::CaseInsensitive) ? 1 : 0);
        // A date as the field takes it, GG/MM/AAAA, from a list's AAAA-MM-GG too.
        QString data = persona.data.trimmed();
        if (data.size() == 10 && data[4] == u'-' && data[7] == u'-') {
            data = data.mid(8, 2) + u'/' + data.mid(5, 2) + u'/' + data.left(4);
        }
        Text7->setText(data);
        const QString luogo = persona.luogo.trimmed().toUpper();
        const QString provincia = persona.provincia.trimmed().toUpper();
        Text5->setText(luogo);
        Text6->setText(provincia);
        Text8->setText(QString());
        completamento.scelto.reset();
        completamento.digitato = luogo;
        if (modulo.registro) {
            const auto omonimi = modulo.registro->Omonimi(luogo.toStdU16String());
            if (!omonimi.empty()) {
                const NODREL1::Comune* comune = NODREL1::ScegliComune(
                    *modulo.registro, luogo.toStdU16String(), provincia.toStdU16String(),
                    data.toStdU16String(), &omonimi.front());
                Text5->setText(QString::fromStdU16String(comune->nome));
                MostraComune(*comune);
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
