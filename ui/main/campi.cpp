// Key handling of the main window's fields: the Enter chain from surname to sex, and the
// completion of the municipality from the register as the user types.

#include <QComboBox>
#include <QRegularExpression>
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

// Blanks only, as the engine trims them (QString::trimmed takes every white space).
QString SenzaSpaziEsterni(const QString& testo) {
    qsizetype inizio = 0;
    qsizetype fine = testo.size();
    while (inizio < fine && testo.at(inizio) == u' ') {
        ++inizio;
    }
    while (fine > inizio && testo.at(fine - 1) == u' ') {
        --fine;
    }
    return testo.sliced(inizio, fine - inizio);
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
    return SenzaSpaziEsterni(testo);
}

// A date confirmed as D/M/AAAA (one digit for the day or the month) or as the eight digits
// GGMMAAAA, written as GG/MM/AAAA; any other text as it is, for the check to judge.
QString DataConBarre(const QString& testo) {
    static const QRegularExpression conBarre(
        QStringLiteral("^([0-9]{1,2})/([0-9]{1,2})/([0-9]{4})$"));
    static const QRegularExpression cifre(QStringLiteral("^([0-9]{2})([0-9]{2})([0-9]{4})$"));
    QRegularExpressionMatch m = conBarre.match(testo);
    if (!m.hasMatch()) {
        m = cifre.match(testo);
    }
    if (!m.hasMatch()) {
        return testo;
    }
    return m.captured(1).rightJustified(2, u'0') + u'/' + m.captured(2).rightJustified(2, u'0') +
           u'/' + m.captured(3);
}

QString Testo(const std::u16string& testo) {
    return QString::fromStdU16String(testo);
}

}  // namespace

QString AccentiComeApostrofi(const QString& testo) {
    QString risultato;
    for (const QChar c : testo) {
        const QString parti = c.decomposition();
        const bool accentata = c.decompositionTag() == QChar::Canonical && parti.size() == 2 &&
                               QStringLiteral("AEIOUaeiou").contains(parti.at(0)) &&
                               (parti.at(1) == QChar(0x300) || parti.at(1) == QChar(0x301));
        risultato += accentata ? parti.at(0) + QStringLiteral("'") : QString(c);
    }
    return risultato;
}

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
// a date that passes hands that character to the sex box, so 15/03/2005F is typed in one go;
// one that fails stays, selected, to be typed over or mended.
void Form2::Text7_KeyPress(QChar carattere) {
    const bool invio = carattere == kInvio;
    const bool oltre =
        carattere.isPrint() && Text7->text().size() >= 10 && !Text7->hasSelectedText();
    if (!invio && !oltre) {
        return;
    }
    auto* tasti = qobject_cast<GestoreTasti*>(sender());
    const QString data = invio ? DataConBarre(Text7->text()) : Text7->text();
    const bool valida = NODREL1::ControllaData(data.toStdU16String(), modulo.Oggi());
    const bool completa = data.size() >= 10;
    if (!valida || !completa) {
        nodrel::MsgBox(this, QString::fromStdU16String(NODREL1::kMsgDataMancante));
        Text7->selectAll();
        if (tasti != nullptr) {
            tasti->Scarta();
        }
        return;
    }
    if (data != Text7->text()) {
        Text7->setText(data);
    }
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

// Enter moves on as it is pressed, so that the keys typed after it land in the date; on a name
// not in the register it first says so, and the field stays to be mended.
void Form2::Text5_KeyPress(QChar carattere) {
    if (carattere != kInvio || SenzaSpaziEsterni(Text5->text()).isEmpty()) {
        return;
    }
    if (completamento.nonInElenco && !completamento.segnalato) {
        SegnalaNonInElenco();
        Text5->setFocus();
        return;
    }
    Text7->setFocus();
}

// Runs right after each key has acted on the field (Enter that moved on excepted).
void Form2::Text5_KeyUp(Qt::Key tasto) {
    // Without a register the field is a plain one: the failure was reported at start-up.
    if (!modulo.registro) {
        return;
    }
    ConTrappola(this, [this, tasto] {
        const QString digitato = Digitato(*Text5);
        if (digitato.isEmpty()) {
            completamento.digitato.clear();
            return;
        }
        if (tasto == Qt::Key_Return || tasto == Qt::Key_Enter) {
            return;
        }
        if (tasto == Qt::Key_Down || tasto == Qt::Key_Up) {
            Scorri(tasto == Qt::Key_Down);
            return;
        }
        Completa(digitato);
    });
}

void Form2::MostraComune(const NODREL1::Comune& comune) {
    assert(modulo.registro);
    Cambia(Text6, Testo(comune.provincia));
    Cambia(Text8, Testo(comune.codice));
    completamento.scelto = modulo.registro->PosizioneDi(comune);
    assert(*completamento.scelto < modulo.registro->Righe());
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
void Form2::Completa(const QString& digitato) {
    const NODREL1::Registro& registro = *modulo.registro;
    // A new text is a new name, which is told about again.
    if (digitato != completamento.digitato) {
        completamento.segnalato = false;
    }
    bool nonInElenco = false;
    if (const auto p = registro.PrimoDa(Vista(digitato))) {
        const NODREL1::Comune& comune = registro[*p];
        const QString nome = Testo(comune.nome);
        if (nome.startsWith(digitato, Qt::CaseInsensitive)) {
            // Only when characters were added: after a deletion the field keeps what the
            // user left, so Backspace can take back a completed tail.
            if (digitato.size() > completamento.digitato.size()) {
                Text5->setText(nome);
                Text5->setSelection(digitato.size(), Text5->text().size() - digitato.size());
                MostraComune(comune);
            }
        } else {
            nonInElenco = true;
            Cambia(Text6, QStringLiteral("?"));
            Cambia(Text8, QStringLiteral("?"));
            completamento.scelto.reset();
            Text5->setFocus();
        }
    }
    SegnaNonInElenco(nonInElenco);
    completamento.digitato = digitato;
}

// Down and Up go to the next and the previous name in order from the record chosen, so that
// the towns of one name (CASTRO of Bergamo, then of Lecce) are a key apart.
void Form2::Scorri(bool avanti) {
    const NODREL1::Registro& registro = *modulo.registro;
    const std::u16string mostrato = SenzaSpaziEsterni(Text5->text()).toStdU16String();
    auto muovi = [&registro, avanti](NODREL1::Registro::Posizione da) {
        return avanti ? registro.Successivo(da) : registro.Precedente(da);
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
    MostraComune(comune);
    SegnaNonInElenco(false);
}

}  // namespace nodrel
