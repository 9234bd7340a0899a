// Key handling of the main window's fields: the Enter chain from surname to sex, and the
// completion of the municipality from the register as the user types.

#include <QComboBox>
#include <cassert>

#include "engine/nodrel1.h"
#include "ui/main/form2.h"
#include "ui/toolkit/controlli.h"
#include "ui/toolkit/messaggi.h"
#include "ui/toolkit/tastiera.h"

namespace nodrel {

namespace {

// The engine's text type over a QString's own characters, without a copy: the completion runs on
// every key.
std::u16string_view Vista(const QString& testo) {
    return {reinterpret_cast<const char16_t*>(testo.utf16()),
            static_cast<std::size_t>(testo.size())};
}

QString Testo(std::u16string_view testo) {
    return QString::fromUtf16(testo.data(), static_cast<qsizetype>(testo.size()));
}

// The province and the cadastral code of a completion are mostly those already shown while the
// user types on through one name; every text set is laid out anew, on every key.
void Cambia(QLineEdit* campo, const QString& testo) {
    if (campo->text() != testo) {
        campo->setText(testo);
    }
}

// What the user typed into the municipality field: a completed tail that is still selected is
// the program's, so a key that leaves it in place (Shift, Escape) does not take it as typed.
QString Digitato(const QLineEdit& campo) {
    QString testo = campo.text();
    if (campo.selectionStart() > 0 && campo.selectionEnd() == testo.size()) {
        testo.truncate(campo.selectionStart());
    }
    return Testo(NODREL1::SenzaSpaziEsterni(Vista(testo)));
}

// The first record of a name and a code among the name's records: the user meets the place
// once, though the register keeps one record for each span of time it bore the name.
bool PrimoDelCodice(const NODREL1::Registro& registro, NODREL1::Registro::Posizione p) {
    const NODREL1::Comune& comune = registro[p];
    for (const NODREL1::Comune& c : registro.Omonimi(comune.nome)) {
        if (&c == &comune) {
            return true;
        }
        if (c.codice == comune.codice) {
            return false;
        }
    }
    return true;
}

}  // namespace

void Form2::Text2_KeyPress(QChar carattere) {
    if (carattere != kInvio) {
        return;
    }
    if (Text2->text().isEmpty()) {
        nodrel::MsgBox(this, QString::fromStdU16String(NODREL1::kMsgCognomeMancante));
    } else {
        Text3->setFocus();
    }
}

void Form2::Text3_KeyPress(QChar carattere) {
    if (carattere != kInvio) {
        return;
    }
    if (Text3->text().isEmpty()) {
        nodrel::MsgBox(this, QString::fromStdU16String(NODREL1::kMsgNomeMancante));
    } else {
        Text5->setFocus();
    }
}

// Editing keys only edit. Enter, or a character that would make a full date longer, checks it:
// a date that passes is written GG/MM/AAAA and hands that character to the sex box, so
// 15/03/2005F is typed in one go; one that fails stays, selected, to be typed over or mended,
// and the message says why.
void Form2::Text7_KeyPress(QChar carattere) {
    const bool invio = carattere == kInvio;
    const bool oltre =
        carattere.isPrint() && Text7->text().size() >= 10 && !Text7->hasSelectedText();
    if (!invio && !oltre) {
        return;
    }
    auto* tasti = qobject_cast<GestoreTasti*>(sender());
    const NODREL1::DataLetta data = NODREL1::LeggiDataNascita(Vista(Text7->text()), modulo.Oggi());
    if (!data.Valida()) {
        nodrel::MsgBox(this, Testo(NODREL1::TestoRifiuto(
                                 {NODREL1::kMsgDataMancante, NODREL1::Campo::Text7, data.motivo})));
        Text7->selectAll();
        if (tasti != nullptr) {
            tasti->Scarta();
        }
        return;
    }
    Cambia(Text7, Testo(data.Testo()));
    Cbosesso->setFocus();
    if (oltre && tasti != nullptr) {
        tasti->Devia(Cbosesso);
    }
}

void Form2::Cbosesso_KeyPress(QChar carattere) {
    if (carattere == kInvio) {
        Comando(&Form2::mncalcola_Click);
    } else if (carattere.toUpper() == u'M') {
        Cbosesso->setCurrentIndex(0);
    } else if (carattere.toUpper() == u'F') {
        Cbosesso->setCurrentIndex(1);
    }
    // Any other character finds no entry in the box and changes nothing.
}

// Enter with a whole code decodes it, as a reader of the health card's bar code types it; the
// code is left selected, so that the next one read takes its place.
void Form2::Text1_KeyPress(QChar carattere) {
    if (carattere != kInvio || NODREL1::CodiceNormale(Vista(Text1->text())).size() != 16) {
        return;
    }
    Comando(&Form2::mnestraii_Click);
    Text1->setFocus();
    Text1->selectAll();
}

bool Form2::NomeNelRegistro() const {
    return modulo.registro &&
           !modulo.registro->Omonimi(NODREL1::NomeComune(Vista(Text5->text()))).empty();
}

// Enter moves on as it is pressed, so that the keys typed after it land in the date; on a text
// that names no municipality (the beginning of a name is none) it first says so, once, and the
// text stays, selected, to be mended.
void Form2::Text5_KeyPress(QChar carattere) {
    if (carattere != kInvio || Digitato(*Text5).isEmpty()) {
        return;
    }
    if (modulo.registro && !completamento.segnalato && !NomeNelRegistro()) {
        SegnalaNonInElenco();
        Text5->setFocus();
        Text5->selectAll();
        return;
    }
    Text7->setFocus();
}

// Runs right after each key has acted on the field (Enter that moved on excepted), and after a
// paste or a drop.
void Form2::Text5_KeyUp(Qt::Key tasto) {
    // Without a register the field is a plain one: the failure was reported at start-up.
    if (!modulo.registro) {
        return;
    }
    ConTrappola(this, [this, tasto] {
        if (tasto == Qt::Key_Down || tasto == Qt::Key_Up) {
            completamento.modificato = false;
            if (!Digitato(*Text5).isEmpty()) {
                Scorri(tasto == Qt::Key_Down);
            }
            return;
        }
        // A key that moved the caret, selected or copied leaves the municipality as it was.
        if (!completamento.modificato) {
            return;
        }
        completamento.modificato = false;
        completamento.provinciaIndicata = false;
        const QString digitato = Digitato(*Text5);
        if (digitato.isEmpty()) {
            completamento.digitato.clear();
            completamento.segnalato = false;
            NessunComune(QString());
            SegnaNonInElenco(false);
            return;
        }
        Completa(digitato);
    });
}

void Form2::MostraComune(const NODREL1::Comune& comune, bool dellUtente) {
    assert(modulo.registro);
    Cambia(Text6, Testo(comune.provincia));
    Cambia(Text8, Testo(comune.codice));
    completamento.scelto = modulo.registro->PosizioneDi(comune);
    completamento.dellUtente = dellUtente;
    assert(*completamento.scelto < modulo.registro->Righe());
}

void Form2::NessunComune(const QString& segno) {
    Cambia(Text6, segno);
    Cambia(Text8, segno);
    completamento.scelto.reset();
    completamento.dellUtente = false;
}

const NODREL1::Comune* Form2::SceltoDallUtente() const {
    return completamento.scelto && completamento.dellUtente
               ? &(*modulo.registro)[*completamento.scelto]
               : nullptr;
}

void Form2::ImpostaLuogo(const QString& luogo, const QString& provincia) {
    Text5->setText(luogo);
    Text6->setText(provincia);
    Text8->setText(QString());
    completamento = {};
    completamento.digitato = Digitato(*Text5);
    completamento.provinciaIndicata = !provincia.trimmed().isEmpty();
    SegnaNonInElenco(false);
    if (!modulo.registro) {
        return;
    }
    const NODREL1::SceltaComune luogoScelto =
        NODREL1::ScegliComune(*modulo.registro, Vista(luogo), Vista(provincia),
                              Vista(Text7->text()), nullptr, modulo.Oggi());
    if (luogoScelto.comune != nullptr) {
        Text5->setText(Testo(luogoScelto.comune->nome));
        MostraComune(*luogoScelto.comune, false);
    }
}

// Dark red, and a tool tip that says why; no message box while the user types.
void Form2::SegnaNonInElenco(bool nonInElenco) {
    completamento.nonInElenco = nonInElenco;
    const int colore = nonInElenco ? kColoreRossoScuro : kColoreNero;
    if (Text5->ForeColor() != colore) {
        Text5->SetForeColor(colore);
    }
    const QString suggerimento = nonInElenco
                                     ? QString::fromStdU16String(NODREL1::kMsgComuneNonInElenco)
                                     : QString::fromLatin1(kSuggerimentoComune);
    // Most keys leave it as it was; a change is an event through every filter of the field.
    if (Text5->toolTip() != suggerimento) {
        Text5->setToolTip(suggerimento);
    }
}

void Form2::SegnalaNonInElenco() {
    completamento.segnalato = true;
    nodrel::MsgBox(this, QString::fromStdU16String(NODREL1::kMsgComuneNonInElenco));
}

// One lookup of what the user typed: completes the name, or marks a name not in the register.
// Text6 and Text8 show a municipality only when the field shows its whole name.
void Form2::Completa(const QString& digitato) {
    const NODREL1::Registro& registro = *modulo.registro;
    // A new text is a new name, which is told about again.
    if (digitato != completamento.digitato) {
        completamento.segnalato = false;
    }
    bool nonInElenco = true;
    if (const auto p = registro.PrimoDa(Vista(digitato))) {
        const NODREL1::Comune& comune = registro[*p];
        const QString nome = Testo(comune.nome);
        if (nome.startsWith(digitato, Qt::CaseInsensitive)) {
            nonInElenco = false;
            // Only when characters were added: after a deletion the field keeps what the
            // user left, so Backspace can take back a completed tail.
            if (digitato.size() > completamento.digitato.size()) {
                Text5->setText(nome);
                Text5->setSelection(digitato.size(), Text5->text().size() - digitato.size());
                MostraComune(comune, false);
            } else if (const auto omonimi = registro.Omonimi(Vista(digitato)); !omonimi.empty()) {
                MostraComune(omonimi.front(), false);
            } else {
                NessunComune(QString());
            }
        }
    }
    if (nonInElenco) {
        NessunComune(QStringLiteral("?"));
        Text5->setFocus();
    }
    SegnaNonInElenco(nonInElenco);
    completamento.digitato = digitato;
}

// Down and Up go to the next and the previous place in name order from the record shown, so
// that the towns of one name (CASTRO of Bergamo, then of Lecce) are a key apart. The place is
// the user's choice from then on.
void Form2::Scorri(bool avanti) {
    const NODREL1::Registro& registro = *modulo.registro;
    const std::u16string mostrato = NODREL1::SenzaSpaziEsterni(Vista(Text5->text()));
    auto muovi = [&registro, avanti](NODREL1::Registro::Posizione da) {
        std::optional<NODREL1::Registro::Posizione> p = da;
        do {
            p = avanti ? registro.Successivo(*p) : registro.Precedente(*p);
        } while (p && !PrimoDelCodice(registro, *p));
        return p;
    };
    std::optional<NODREL1::Registro::Posizione> p;
    if (completamento.scelto &&
        NODREL1::ConfrontaNomi(registro[*completamento.scelto].nome, mostrato) == 0) {
        p = muovi(*completamento.scelto);
    } else if (const auto primo = registro.PrimoDa(mostrato)) {
        // A name chosen by none of its records moves from its first; a text no name has takes
        // the name found as the next, the one before it as the previous.
        const bool nome = NODREL1::ConfrontaNomi(registro[*primo].nome, mostrato) == 0;
        p = nome || !avanti ? muovi(*primo) : primo;
    }
    if (!p) {
        return;
    }
    const NODREL1::Comune& comune = registro[*p];
    const QString nome = Testo(comune.nome);
    Text5->setText(nome);
    const QString& digitato = completamento.digitato;
    if (!digitato.isEmpty() && nome.startsWith(digitato, Qt::CaseInsensitive)) {
        Text5->setSelection(static_cast<int>(digitato.size()),
                            static_cast<int>(nome.size() - digitato.size()));
    }
    completamento.provinciaIndicata = false;
    MostraComune(comune, true);
    SegnaNonInElenco(false);
}

}  // namespace nodrel
