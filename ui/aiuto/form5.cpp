#include "ui/aiuto/form5.h"

#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTextBlock>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "ui/toolkit/programma.h"

namespace nodrel {

namespace {

// The guide's text, with what only the running program knows filled in: the register in use,
// its date, and where the user's own lies.
QString TestoGuida() {
    QFile file(QStringLiteral(":/nodrel/guida.html"));
    file.open(QIODevice::ReadOnly);
    QString html = QString::fromUtf8(file.readAll());
    const RegistroInUso registro = RegistroScelto();
    html.replace(QStringLiteral("@REGISTRO@"), DescrizioneRegistro(registro).toHtmlEscaped());
    html.replace(QStringLiteral("@FILEREGISTRO@"),
                 QDir::toNativeSeparators(registro.file).toHtmlEscaped());
    html.replace(QStringLiteral("@CARTELLAUTENTE@"),
                 QDir::toNativeSeparators(CartellaUtente()).toHtmlEscaped());
    return html;
}

}  // namespace

Form5* Form5::Mostra(QWidget* principale, const QString& sezione) {
    auto* guida = principale->findChild<Form5*>(QString(), Qt::FindDirectChildrenOnly);
    if (guida == nullptr) {
        guida = new Form5(principale);
    }
    // Shown first: where a section lies depends on the width the text is laid out at.
    guida->show();
    guida->raise();
    guida->activateWindow();
    if (!sezione.isEmpty()) {
        guida->VaiA(sezione);
    }
    return guida;
}

Form5::Form5(QWidget* principale) : QDialog(principale) {
    setObjectName("Form5");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Guida di Nodrel"));
    setModal(false);
    // A window of its own, resized at will, which does not keep the main window waiting.
    setWindowFlags(Qt::Window);

    TextBrowser1 = new QTextBrowser(this);
    TextBrowser1->setObjectName("TextBrowser1");
    TextBrowser1->setOpenExternalLinks(true);
    TextBrowser1->setHtml(TestoGuida());

    // The index is the guide's own headings, so that it cannot drift from the text.
    List1 = new QListWidget(this);
    List1->setObjectName("List1");
    List1->setSpacing(2);
    for (QTextBlock b = TextBrowser1->document()->begin(); b.isValid(); b = b.next()) {
        if (b.blockFormat().headingLevel() != 2) {
            continue;
        }
        for (auto f = b.begin(); !f.atEnd(); ++f) {
            const QStringList ancore = f.fragment().charFormat().anchorNames();
            if (!ancore.isEmpty()) {
                auto* voce = new QListWidgetItem(b.text(), List1);
                voce->setData(Qt::UserRole, ancore.first());
                break;
            }
        }
    }
    List1->setMaximumWidth(List1->sizeHintForColumn(0) + 2 * List1->frameWidth() + 8);
    connect(List1, &QListWidget::itemClicked, this, [this] { List1_Click(); });
    connect(List1, &QListWidget::itemActivated, this, [this] { List1_Click(); });

    Command1 = new QPushButton(QStringLiteral("&Chiudi"), this);
    Command1->setObjectName("Command1");
    Command1->setToolTip(QStringLiteral("Chiude la guida"));
    Command1->setAutoDefault(false);
    connect(Command1, &QPushButton::clicked, this, &QDialog::close);

    auto* testo = new QHBoxLayout;
    testo->addWidget(List1);
    testo->addWidget(TextBrowser1, 1);
    auto* pulsanti = new QHBoxLayout;
    pulsanti->addStretch();
    pulsanti->addWidget(Command1);
    auto* colonna = new QVBoxLayout(this);
    colonna->addLayout(testo);
    colonna->addLayout(pulsanti);

    // Never larger than the screen it opens on.
    QSize dimensione(880, 620);
    if (const QScreen* schermo = principale->screen()) {
        dimensione = dimensione.boundedTo(schermo->availableSize() * 9 / 10);
    }
    resize(dimensione);
    TextBrowser1->setFocus();
}

void Form5::VaiA(const QString& sezione) {
    TextBrowser1->scrollToAnchor(sezione);
    for (int i = 0; i < List1->count(); ++i) {
        if (List1->item(i)->data(Qt::UserRole).toString() == sezione) {
            List1->setCurrentRow(i);
        }
    }
}

void Form5::List1_Click() {
    if (const QListWidgetItem* voce = List1->currentItem()) {
        TextBrowser1->scrollToAnchor(voce->data(Qt::UserRole).toString());
    }
}

}  // namespace nodrel
