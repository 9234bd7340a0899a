// The people last composed or decoded, kept in the user's settings, and the menu that brings
// them back into the main window.

#include "ui/main/recenti.h"

#include <QAction>
#include <QComboBox>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

#include "engine/nodrel1.h"
#include "ui/main/form2.h"
#include "ui/toolkit/controlli.h"
#include "ui/toolkit/impostazioni.h"

namespace nodrel {

namespace {

constexpr char kGruppo[] = "recenti";

// The fields by their keys in the settings, in one place for reading and writing.
QString PersonaRecente::*const kCampi[] = {&PersonaRecente::codice, &PersonaRecente::cognome,
                                           &PersonaRecente::nome,   &PersonaRecente::sesso,
                                           &PersonaRecente::comune, &PersonaRecente::provincia,
                                           &PersonaRecente::data,   &PersonaRecente::catastale};
const char* const kChiavi[] = {"codice", "cognome",   "nome", "sesso",
                               "comune", "provincia", "data", "catastale"};

// A code is the same whatever blanks and case it was typed with.
QString Chiave(const QString& codice) {
    return QString(codice).remove(u' ').toUpper();
}

void Scrivi(const QList<PersonaRecente>& persone) {
    Impostazioni impostazioni;
    impostazioni.remove(kGruppo);
    impostazioni.beginWriteArray(kGruppo, static_cast<int>(persone.size()));
    for (qsizetype i = 0; i < persone.size(); ++i) {
        impostazioni.setArrayIndex(static_cast<int>(i));
        for (std::size_t c = 0; c < std::size(kCampi); ++c) {
            impostazioni.setValue(kChiavi[c], persone[i].*kCampi[c]);
        }
    }
    impostazioni.endArray();
}

// How a person reads in the menu; the first nine get the digits as access keys.
QString Voce(const PersonaRecente& p, qsizetype i) {
    QString testo = QStringList{p.cognome.trimmed(), p.nome.trimmed()}.join(u' ').trimmed();
    if (!p.codice.trimmed().isEmpty()) {
        testo += (testo.isEmpty() ? QString() : QStringLiteral(" - ")) + p.codice.trimmed();
    }
    testo.replace(u'&', QStringLiteral("&&"));
    return i < 9 ? QStringLiteral("&%1 %2").arg(i + 1).arg(testo) : testo;
}

}  // namespace

QList<PersonaRecente> PersoneRecenti() {
    Impostazioni impostazioni;
    QList<PersonaRecente> persone;
    const int n = impostazioni.beginReadArray(kGruppo);
    for (int i = 0; i < n && i < kMassimoRecenti; ++i) {
        impostazioni.setArrayIndex(i);
        PersonaRecente p;
        for (std::size_t c = 0; c < std::size(kCampi); ++c) {
            p.*kCampi[c] = impostazioni.value(kChiavi[c]).toString();
        }
        persone.append(p);
    }
    impostazioni.endArray();
    return persone;
}

void RicordaPersona(const PersonaRecente& persona) {
    QList<PersonaRecente> persone = PersoneRecenti();
    const QString chiave = Chiave(persona.codice);
    persone.removeIf([&chiave](const PersonaRecente& p) { return Chiave(p.codice) == chiave; });
    persone.prepend(persona);
    Scrivi(persone.mid(0, kMassimoRecenti));
}

void DimenticaPersone() {
    Impostazioni().remove(kGruppo);
}

Recenti::Recenti(Form2* finestra, QMenu* menu)
    : QObject(finestra), finestra_(finestra), menu_(menu) {
    menu_->setToolTipsVisible(true);
    connect(menu_, &QMenu::aboutToShow, this, &Recenti::Riempi);
    connect(finestra_, &Form2::PersonaMostrata, this, &Recenti::Ricorda);
    // Ctrl+R opens the menu as Alt+R does, its first person ready for Enter.
    auto* apri = new QAction(finestra_);
    apri->setObjectName("mnaprirecenti");
    apri->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    finestra_->addAction(apri);
    connect(apri, &QAction::triggered, this, [this] {
        finestra_->menuBar()->setActiveAction(menu_->menuAction());
        menu_->setActiveAction(menu_->actions().value(0));
    });
    // The menu bar shows a menu with entries only; they are made as it opens.
    Riempi();
}

void Recenti::Riempi() {
    menu_->clear();
    const QList<PersonaRecente> persone = PersoneRecenti();
    for (qsizetype i = 0; i < persone.size(); ++i) {
        const PersonaRecente& p = persone[i];
        QAction* voce = menu_->addAction(Voce(p, i));
        voce->setObjectName(QStringLiteral("mnrecente%1").arg(i + 1));
        QStringList dettagli{p.data.trimmed(), p.comune.trimmed(), p.provincia.trimmed()};
        dettagli.removeAll(QString());
        voce->setToolTip(dettagli.join(QStringLiteral(", ")));
        connect(voce, &QAction::triggered, this, [this, p] { Scegli(p); });
    }
    if (persone.isEmpty()) {
        menu_->addAction(QStringLiteral("Nessuna persona recente"))->setEnabled(false);
    }
    menu_->addSeparator();
    QAction* cancella = menu_->addAction(QStringLiteral("Cancella &cronologia"));
    cancella->setObjectName("mncancellacronologia");
    cancella->setEnabled(!persone.isEmpty());
    connect(cancella, &QAction::triggered, this, [this] {
        DimenticaPersone();
        Riempi();
    });
}

void Recenti::Ricorda() {
    const Form2& f = *finestra_;
    RicordaPersona({f.Text1->text(), f.Text2->text(), f.Text3->text(), f.Cbosesso->currentText(),
                    f.Text5->text(), f.Text6->text(), f.Text7->text(), f.Text8->text()});
    // At once, for a screen reader that reads the menu without opening it.
    Riempi();
}

void Recenti::Scegli(const PersonaRecente& p) {
    Form2& f = *finestra_;
    f.Text1->setText(p.codice);
    f.Text2->setText(p.cognome);
    f.Text3->setText(p.nome);
    f.Cbosesso->setCurrentIndex(p.sesso == QLatin1String("F") ? 1 : 0);
    f.Text5->setText(p.comune);
    f.Text6->setText(p.provincia);
    f.Text7->setText(p.data);
    f.Text8->setText(p.catastale);
    // The completion as if the name had been chosen: the same record, so that composing again
    // gives the same code.
    Completamento& c = f.completamento;
    c = {};
    c.digitato = p.comune.trimmed();
    if (const auto& registro = f.modulo.registro) {
        const std::u16string nome = c.digitato.toStdU16String();
        const NODREL1::Comune* scelto = nullptr;
        for (const NODREL1::Comune& comune : registro->Omonimi(nome)) {
            if (QString::fromStdU16String(comune.codice) == p.catastale &&
                (scelto == nullptr || QString::fromStdU16String(comune.provincia) == p.provincia)) {
                scelto = &comune;
            }
        }
        if (scelto != nullptr) {
            c.scelto = registro->PosizioneDi(*scelto);
        }
    }
    f.Text5->SetForeColor(kColoreNero);
    f.Text5->setToolTip(QString::fromLatin1(kSuggerimentoComune));
    f.Text2->setFocus();
}

}  // namespace nodrel
