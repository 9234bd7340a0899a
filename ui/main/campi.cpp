// Key handling of the main window's fields: the Enter chain from surname to sex, and the
// completion of the municipality from the register as the user types.

#include <QComboBox>
#include <QRegularExpression>

#include "engine/nodrel1.h"
#include "ui/main/form2.h"
#include "ui/toolkit/controlli.h"
#include "ui/toolkit/messaggi.h"
#include "ui/toolkit/tastiera.h"

namespace nodrel {

namespace {

QString SenzaSpaziEsterni(const QString& testo) {
    qsizetype inizio = 0;
    qsizetype fine = testo.size();
    while (inizio < fine && testo.at(inizio) == QLatin1Char(' ')) {
        ++inizio;
    }
    while (fine > inizio && testo.at(fine - 1) == QLatin1Char(' ')) {
        --fine;
    }
    return testo.mid(inizio, fine - inizio);
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

QString Valore(const char16_t* colonna) {
    return QString::fromStdU16String(NODREL1::RsComuni->Field(colonna));
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
    const bool valida = NODREL1::ControllaData(data.toStdU16String());
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

// Enter moves on as it is pressed, so that the keys typed after it land in the date.
void Form2::Text5_KeyPress(QChar carattere) {
    if (carattere == kInvio && !SenzaSpaziEsterni(Text5->text()).isEmpty()) {
        Text7->setFocus();
    }
}

// Runs right after each key has acted on the field (Enter that moved on excepted).
void Form2::Text5_KeyUp(Qt::Key tasto) {
    // Without a register the field is a plain one: the failure was reported at start-up.
    if (!NODREL1::RsComuni) {
        return;
    }
    ConTrappola(this, [this, tasto] {
        const QString digitato = Digitato(*Text5);
        if (digitato.isEmpty()) {
            Text5->Tag.clear();
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

// One lookup of what the user typed: completes the name, or marks a name not in the register.
void Form2::Completa(const QString& digitato) {
    const bool trovato = NODREL1::CercaPerNome(digitato.toStdU16String());
    int colore = kColoreNero;
    if (trovato) {
        const QString nome = Valore(u"COMU_DESCR");
        if (nome.startsWith(digitato, Qt::CaseInsensitive)) {
            // Only when characters were added: after a deletion the field keeps what the
            // user left, so Backspace can take back a completed tail.
            if (digitato.size() > Text5->Tag.size()) {
                Text5->setText(nome);
                Text5->setSelection(digitato.size(), Text5->text().size() - digitato.size());
                Text6->setText(Valore(u"COMU_PROV"));
                Text8->setText(Valore(u"COMU_COD"));
            }
        } else {
            // Said once per run of mismatches: the colour shows the run has started.
            if (Text5->ForeColor() == kColoreNero) {
                nodrel::MsgBox(this, QString::fromStdU16String(NODREL1::kMsgComuneNonInElenco));
            }
            colore = kColoreRossoScuro;
            Text6->setText(QStringLiteral("?"));
            Text8->setText(QStringLiteral("?"));
            Text5->setFocus();
        }
    }
    if (Text5->ForeColor() != colore) {
        Text5->SetForeColor(colore);
    }
    Text5->Tag = digitato;
}

// Down and Up go to the next and the previous name in order from the one shown, so that the
// towns of one name (CASTRO of Bergamo, then of Lecce) are a key apart. The name shown is found
// again by its code in Text8 among the records of its name.
void Form2::Scorri(bool avanti) {
    const QString mostrato = SenzaSpaziEsterni(Text5->text());
    const auto Nome = [] { return Valore(u"COMU_DESCR"); };
    if (!NODREL1::CercaPerNome(mostrato.toStdU16String())) {
        return;
    }
    if (Nome().compare(mostrato, Qt::CaseInsensitive) == 0) {
        bool fuori = false;
        while (!fuori && Nome().compare(mostrato, Qt::CaseInsensitive) == 0 &&
               Valore(u"COMU_COD") != Text8->text()) {
            fuori = !NODREL1::VaiAlSuccessivo();
        }
        if (fuori || Nome().compare(mostrato, Qt::CaseInsensitive) != 0) {
            NODREL1::CercaPerNome(mostrato.toStdU16String());  // Text8 names none: the first
        }
        if (!(avanti ? NODREL1::VaiAlSuccessivo() : NODREL1::VaiAlPrecedente())) {
            return;
        }
    } else if (!avanti && !NODREL1::VaiAlPrecedente()) {
        return;  // a text no name has: the next name is the one found, the previous one before
    }
    const QString nome = Nome();
    Text5->setText(nome);
    const QString& digitato = Text5->Tag;
    if (!digitato.isEmpty() && nome.startsWith(digitato, Qt::CaseInsensitive)) {
        Text5->setSelection(static_cast<int>(digitato.size()),
                            static_cast<int>(nome.size() - digitato.size()));
    }
    Text6->setText(Valore(u"COMU_PROV"));
    Text8->setText(Valore(u"COMU_COD"));
    if (Text5->ForeColor() != kColoreNero) {
        Text5->SetForeColor(kColoreNero);
    }
}

}  // namespace nodrel
