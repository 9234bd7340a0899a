#include "ui/elenco/form4.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSaveFile>
#include <QTableView>
#include <QThread>
#include <QVBoxLayout>
#include <algorithm>

#include "engine/elenco.h"
#include "register/comuni.h"
#include "ui/toolkit/controlli.h"
#include "ui/toolkit/messaggi.h"
#include "ui/toolkit/programma.h"

namespace nodrel {

namespace {

const char* const kColonne[] = {"Riga", "Codice", "Esito", "Motivo"};
constexpr qint64 kBlocco = 1 << 20;

QString Testo(const std::string& utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

}  // namespace

int ModelloElenco::rowCount(const QModelIndex& genitore) const {
    return genitore.isValid() ? 0 : static_cast<int>(righe_.size());
}

int ModelloElenco::columnCount(const QModelIndex& genitore) const {
    return genitore.isValid() ? 0 : 4;
}

QVariant ModelloElenco::data(const QModelIndex& indice, int ruolo) const {
    if (!indice.isValid() || indice.row() >= rowCount()) {
        return {};
    }
    const RigaVerificata& r = righe_[static_cast<std::size_t>(indice.row())];
    if (ruolo == Qt::ForegroundRole && indice.column() == 2 && !r.corretto) {
        return ColoreRgb(kColoreRossoScuro);
    }
    if (ruolo == Qt::TextAlignmentRole && indice.column() == 0) {
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    }
    if (ruolo != Qt::DisplayRole) {
        return {};
    }
    switch (indice.column()) {
        case 0:
            return QVariant::fromValue(static_cast<qulonglong>(r.riga));
        case 1:
            return Testo(r.codice);
        case 2:
            return r.corretto ? QStringLiteral("CORRETTO") : QStringLiteral("ERRATO");
        default:
            return Testo(r.motivo);
    }
}

QVariant ModelloElenco::headerData(int sezione, Qt::Orientation verso, int ruolo) const {
    if (verso == Qt::Horizontal && ruolo == Qt::DisplayRole && sezione >= 0 && sezione < 4) {
        return QString::fromLatin1(kColonne[sezione]);
    }
    return QAbstractTableModel::headerData(sezione, verso, ruolo);
}

void ModelloElenco::sort(int colonna, Qt::SortOrder ordine) {
    if (colonna <= 0 && ordine == Qt::AscendingOrder &&
        std::is_sorted(righe_.begin(), righe_.end(),
                       [](const auto& a, const auto& b) { return a.riga < b.riga; })) {
        return;  // as the list came
    }
    auto chiave = [colonna](const RigaVerificata& r) {
        return std::make_tuple(colonna == 2 ? r.corretto : false,
                               colonna == 1 ? std::string_view(r.codice) : std::string_view(),
                               colonna == 3 ? std::string_view(r.motivo) : std::string_view(),
                               r.riga);
    };
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::stable_sort(
        righe_.begin(), righe_.end(), [&](const RigaVerificata& a, const RigaVerificata& b) {
            return ordine == Qt::AscendingOrder ? chiave(a) < chiave(b) : chiave(b) < chiave(a);
        });
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void ModelloElenco::Svuota() {
    beginResetModel();
    righe_.clear();
    righe_.shrink_to_fit();
    endResetModel();
}

void ModelloElenco::Aggiungi(std::vector<RigaVerificata> righe) {
    if (righe.empty()) {
        return;
    }
    const int primo = rowCount();
    beginInsertRows({}, primo, primo + static_cast<int>(righe.size()) - 1);
    righe_.insert(righe_.end(), std::make_move_iterator(righe.begin()),
                  std::make_move_iterator(righe.end()));
    endInsertRows();
}

Form4::Form4(QWidget* proprietario) : QDialog(proprietario), modello_(new ModelloElenco(this)) {
    setObjectName("Form4");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Verifica elenco"));
    setModal(false);
    // A window of its own beside the main one, resized at will, with its own close box.
    setWindowFlags(Qt::Window);

    auto pulsante = [this](const char* nome, const char* titolo, const char* suggerimento) {
        auto* p = new QPushButton(titolo, this);
        p->setObjectName(nome);
        p->setToolTip(suggerimento);
        p->setAutoDefault(false);
        return p;
    };
    Command1 = pulsante("Command1", "&Apri file...", "Verifica i codici di un file di testo o CSV");
    Command2 = pulsante("Command2", "&Incolla elenco",
                        "Verifica i codici copiati negli appunti, uno per riga");
    Command3 = pulsante("Command3", "&Salva risultati...", "Salva i risultati in un file CSV");
    Command4 = pulsante("Command4", "I&nterrompi", "Interrompe la verifica in corso");
    Command5 = pulsante("Command5", "&Chiudi", "Chiude la finestra");
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
    connect(Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });
    connect(Command5, &QPushButton::clicked, this, &QDialog::close);

    Label1 = new QLabel(QStringLiteral("Scegliere un file o incollare un elenco di codici fiscali, "
                                       "uno per riga."),
                        this);
    Label1->setObjectName("Label1");
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName("ProgressBar1");
    ProgressBar1->setRange(0, 1000);
    ProgressBar1->setValue(0);

    Grid1 = new QTableView(this);
    Grid1->setObjectName("Grid1");
    Grid1->setModel(modello_);
    Grid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    Grid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Grid1->verticalHeader()->hide();
    // One line of text a row: a long list is read by scrolling.
    Grid1->verticalHeader()->setDefaultSectionSize(Grid1->fontMetrics().height() + 6);
    Grid1->horizontalHeader()->setStretchLastSection(true);
    Grid1->setColumnWidth(0, 80);
    Grid1->setColumnWidth(1, 220);
    Grid1->setColumnWidth(2, 100);

    auto* pulsanti = new QHBoxLayout;
    for (QPushButton* p : {Command1, Command2, Command3, Command4}) {
        pulsanti->addWidget(p);
    }
    pulsanti->addStretch();
    pulsanti->addWidget(Command5);
    auto* colonna = new QVBoxLayout(this);
    colonna->addLayout(pulsanti);
    colonna->addWidget(Label1);
    colonna->addWidget(ProgressBar1);
    colonna->addWidget(Grid1);
    resize(760, 520);
    AggiornaPulsanti();
}

Form4::~Form4() {
    Ferma();
}

void Form4::Command1_Click() {
    QFileDialog dialogo(this, QStringLiteral("Apri elenco di codici fiscali"));
    dialogo.setObjectName("DialogoApri");
    dialogo.setOption(QFileDialog::DontUseNativeDialog);
    dialogo.setAcceptMode(QFileDialog::AcceptOpen);
    dialogo.setFileMode(QFileDialog::ExistingFile);
    dialogo.setNameFilters({QStringLiteral("Elenchi di testo o CSV (*.txt *.csv)"),
                            QStringLiteral("Tutti i file (*)")});
    if (dialogo.exec() == QDialog::Accepted && !dialogo.selectedFiles().isEmpty()) {
        VerificaFile(dialogo.selectedFiles().constFirst());
    }
}

void Form4::Command2_Click() {
    const QString testo = QApplication::clipboard()->text();
    if (testo.trimmed().isEmpty()) {
        MsgBox(this, QStringLiteral("Gli appunti non contengono alcun elenco da verificare"));
        return;
    }
    VerificaTesto(testo.toUtf8());
}

void Form4::Command3_Click() {
    QFileDialog dialogo(this, QStringLiteral("Salva i risultati"));
    dialogo.setObjectName("DialogoSalva");
    dialogo.setOption(QFileDialog::DontUseNativeDialog);
    dialogo.setAcceptMode(QFileDialog::AcceptSave);
    dialogo.setDefaultSuffix(QStringLiteral("csv"));
    dialogo.setNameFilter(QStringLiteral("File CSV (*.csv)"));
    if (dialogo.exec() != QDialog::Accepted || dialogo.selectedFiles().isEmpty()) {
        return;
    }
    const QString percorso = dialogo.selectedFiles().constFirst();
    // Written whole under another name and then renamed, so a failure leaves no half file.
    QSaveFile file(percorso);
    bool fatto = file.open(QIODevice::WriteOnly);
    std::string testo(NODREL1::kIntestazioneVerifica);
    for (const RigaVerificata& r : modello_->Righe()) {
        NODREL1::ScriviVerifica(testo, r.riga, r.codice, r.corretto ? "CORRETTO" : "ERRATO",
                                r.motivo);
        if (testo.size() >= kBlocco) {
            fatto = fatto && file.write(testo.data(), static_cast<qint64>(testo.size())) ==
                                 static_cast<qint64>(testo.size());
            testo.clear();
        }
    }
    fatto = fatto &&
            file.write(testo.data(), static_cast<qint64>(testo.size())) ==
                static_cast<qint64>(testo.size()) &&
            file.commit();
    if (!fatto) {
        MsgBox(this,
               QStringLiteral("Impossibile salvare il file ") + QDir::toNativeSeparators(percorso));
    }
}

void Form4::Command4_Click() {
    if (interrompi_) {
        *interrompi_ = true;
    }
}

void Form4::VerificaFile(const QString& percorso) {
    auto file = std::make_shared<QFile>(percorso);
    Avvia(
        [file](char* dati, qint64 quanto) -> qint64 {
            if (!file->isOpen() && !file->open(QIODevice::ReadOnly)) {
                return -1;
            }
            return file->read(dati, quanto);
        },
        QFileInfo(percorso).size(), QFileInfo(percorso).fileName());
}

void Form4::VerificaTesto(const QByteArray& testo) {
    auto posizione = std::make_shared<qint64>(0);
    Avvia(
        [testo, posizione](char* dati, qint64 quanto) -> qint64 {
            const qint64 n = std::min(quanto, testo.size() - *posizione);
            std::copy_n(testo.constData() + *posizione, n, dati);
            *posizione += n;
            return n;
        },
        testo.size(), QString());
}

void Form4::Avvia(Lettore leggi, qint64 totale, const QString& nome) {
    Ferma();
    modello_->Svuota();
    totale_ = totale;
    nome_ = nome;
    Grid1->setSortingEnabled(false);
    Grid1->horizontalHeader()->setSortIndicatorShown(false);
    ProgressBar1->setValue(0);
    Label1->setText(QStringLiteral("Verifica in corso..."));
    interrompi_ = std::make_shared<std::atomic<bool>>(false);
    const std::shared_ptr<std::atomic<bool>> interrompi = interrompi_;
    const QString percorso = PercorsoRegistro();
    const int corsa = ++corsa_;

    lavoro_ = QThread::create([this, leggi = std::move(leggi), interrompi, percorso, corsa,
                               registro = registro_]() mutable {
        // Without a register the municipalities go unchecked.
        if (!registro) {
            try {
                registro = ApriRegistro(percorso.toStdU16String());
            } catch (const std::exception&) {
            }
        }
        NODREL1::ElencoCodici elenco(
            registro
                ? NODREL1::ElencoCodici::ComuneNoto([&registro](std::u16string_view catastale) {
                      return registro->PerCodice(catastale) != nullptr;
                  })
                : NODREL1::ElencoCodici::ComuneNoto());
        std::vector<RigaVerificata> righe;
        auto voce = [&righe](const NODREL1::VoceElenco& v) {
            righe.push_back(
                {v.riga, std::string(v.codice), NODREL1::Motivo(v), v.esame.Corretto()});
        };
        qint64 letti = 0;
        auto consegna = [&] {
            const QString riepilogo = QString::fromStdString(TestoRiepilogo(elenco.Totali()));
            QMetaObject::invokeMethod(
                this,
                [this, corsa, righe = std::move(righe), letti, riepilogo]() mutable {
                    if (corsa == corsa_) {
                        Ricevi(std::move(righe), letti, riepilogo);
                    }
                },
                Qt::QueuedConnection);
            righe.clear();
        };
        std::vector<char> blocco(kBlocco);
        bool fallito = false;
        QElapsedTimer tempo;
        tempo.start();
        while (!*interrompi) {
            const qint64 n = leggi(blocco.data(), kBlocco);
            if (n <= 0) {
                fallito = n < 0;
                if (n == 0) {
                    elenco.Fine(voce);
                }
                break;
            }
            letti += n;
            elenco.Leggi(std::string_view(blocco.data(), static_cast<std::size_t>(n)), voce);
            // A few times a second: the table grows and the bar moves as the user watches.
            if (tempo.elapsed() >= 150) {
                consegna();
                tempo.restart();
            }
        }
        consegna();
        const bool interrotto = *interrompi;
        const QString riepilogo = QString::fromStdString(TestoRiepilogo(elenco.Totali()));
        QMetaObject::invokeMethod(
            this,
            [this, corsa, interrotto, fallito, riepilogo] {
                if (corsa == corsa_) {
                    Finito(interrotto, fallito, riepilogo);
                }
            },
            Qt::QueuedConnection);
    });
    lavoro_->start();
    AggiornaPulsanti();
}

void Form4::Ricevi(std::vector<RigaVerificata> righe, qint64 letti, const QString& riepilogo) {
    if (!lavoro_) {
        return;  // a list that was stopped; its last results are not wanted
    }
    modello_->Aggiungi(std::move(righe));
    ProgressBar1->setValue(
        totale_ > 0 ? static_cast<int>(std::min<qint64>(letti, totale_) * 1000 / totale_) : 0);
    Label1->setText(riepilogo);
}

void Form4::Finito(bool interrotto, bool fallito, const QString& riepilogo) {
    if (!lavoro_) {
        return;
    }
    lavoro_->wait();
    delete lavoro_;
    lavoro_ = nullptr;
    if (!interrotto && !fallito) {
        ProgressBar1->setValue(1000);
    }
    Label1->setText(interrotto ? QStringLiteral("Verifica interrotta: ") + riepilogo : riepilogo);
    Grid1->setSortingEnabled(true);
    Grid1->horizontalHeader()->setSortIndicatorShown(true);
    Grid1->horizontalHeader()->setSortIndicator(0, Qt::AscendingOrder);
    AggiornaPulsanti();
    if (fallito) {
        MsgBox(this, QStringLiteral("Impossibile leggere il file ") + nome_);
    }
}

void Form4::Ferma() {
    if (!lavoro_) {
        return;
    }
    *interrompi_ = true;
    lavoro_->wait();
    delete lavoro_;
    lavoro_ = nullptr;
    AggiornaPulsanti();
}

void Form4::AggiornaPulsanti() {
    const bool libero = lavoro_ == nullptr;
    Command1->setEnabled(libero);
    Command2->setEnabled(libero);
    Command3->setEnabled(libero && modello_->rowCount() > 0);
    Command4->setEnabled(!libero);
}

void Form4::closeEvent(QCloseEvent* evento) {
    Ferma();
    evento->accept();
}

}  // namespace nodrel
