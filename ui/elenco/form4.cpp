#include "ui/elenco/form4.h"

#include <malloc.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSaveFile>
#include <QTableView>
#include <QThread>
#include <QVBoxLayout>
#include <algorithm>
#include <cstring>

#include "engine/elenco.h"
#include "engine/nodrel1.h"
#include "fogli/fogli.h"
#include "register/comuni.h"
#include "ui/main/form2.h"
#include "ui/toolkit/controlli.h"
#include "ui/toolkit/messaggi.h"
#include "ui/toolkit/programma.h"

namespace nodrel {

namespace {

const char* const kColonne[] = {"Riga", "Codice", "Esito", "Motivo"};
// Pieces small enough that a request to stop is seen within a few milliseconds.
constexpr qint64 kPezzo = 1 << 18;
// The bytes of rows read ahead of the table, at most.
constexpr std::int64_t kInViaggio = 32 << 20;
// Rows go to the table in lots of about this size, each a block of memory of its own (below).
constexpr std::size_t kLotto = 1 << 20;

QString Testo(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

void AggiungiNumero(std::string& out, std::uint64_t n) {
    do {
        const auto sette = static_cast<char>(n & 0x7F);
        n >>= 7;
        out += static_cast<char>(sette | (n != 0 ? 0x80 : 0));
    } while (n != 0);
}

void AggiungiTesto(std::string& out, std::string_view t) {
    AggiungiNumero(out, t.size());
    out += t;
}

// Reads back what Scrivi wrote.
struct Lettura {
    const char* p;
    std::uint64_t Numero() {
        std::uint64_t n = 0;
        for (int spostamento = 0;; spostamento += 7) {
            const auto b = static_cast<unsigned char>(*p++);
            n |= std::uint64_t{b & 0x7Fu} << spostamento;
            if ((b & 0x80) == 0) {
                return n;
            }
        }
    }
    std::string_view Testo() {
        const auto n = static_cast<std::size_t>(Numero());
        const std::string_view t(p, n);
        p += n;
        return t;
    }
};

std::string_view NomeEsito(ModelloElenco::Esito e) {
    return e == ModelloElenco::Corretto ? "CORRETTO"
           : e == ModelloElenco::Errato ? "ERRATO"
                                        : "NON CORRISPONDE";
}

// A date as the main window's field takes it, GG/MM/AAAA, from a list's AAAA-MM-GG too.
QString DataDelCampo(QString data) {
    data = data.trimmed();
    if (data.size() == 10 && data[4] == u'-' && data[7] == u'-') {
        return data.mid(8, 2) + u'/' + data.mid(5, 2) + u'/' + data.left(4);
    }
    return data;
}

}  // namespace

void ModelloElenco::Scrivi(std::string& righe, const NODREL1::VoceElenco& v) {
    std::string riga;
    AggiungiNumero(riga, v.riga);
    const Esito esito = !v.Corretto() ? Errato : v.nonCorrisponde ? NonCorrisponde : Corretto;
    riga += static_cast<char>(esito | (v.duplicatoDi != 0 ? 4 : 0) | (v.calcolato ? 8 : 0));
    AggiungiTesto(riga, v.codice);
    AggiungiTesto(riga, NODREL1::Motivo(v));
    const std::size_t celle = v.celle.size() > 1 ? v.celle.size() : 0;
    AggiungiNumero(riga, celle);
    for (std::size_t i = 0; i < celle; ++i) {
        AggiungiTesto(riga, v.celle[i]);
    }
    AggiungiTesto(righe, riga);
}

ModelloElenco::Riga ModelloElenco::Leggi(std::uint64_t posto) const {
    Lettura l{Dati(posto)};
    Riga r;
    r.riga = l.Numero();
    const auto segni = static_cast<unsigned char>(*l.p++);
    r.esito = static_cast<Esito>(segni & 3);
    r.duplicato = (segni & 4) != 0;
    r.calcolato = (segni & 8) != 0;
    r.codice = l.Testo();
    r.motivo = l.Testo();
    const auto celle = static_cast<std::size_t>(l.Numero());
    r.celle.reserve(celle);
    for (std::size_t i = 0; i < celle; ++i) {
        r.celle.push_back(l.Testo());
    }
    return r;
}

bool ModelloElenco::Mostra(std::uint64_t posto) const {
    if (!soloErrati_) {
        return true;
    }
    Lettura l{Dati(posto)};
    l.Numero();
    return (static_cast<unsigned char>(*l.p) & 3) != Corretto;
}

ModelloElenco::Riga ModelloElenco::Mostrata(std::size_t i) const {
    const bool vista = soloErrati_ || colonnaOrdine_ != 0 || ordine_ != Qt::AscendingOrder;
    return Leggi(vista ? vista_[i] : tutte_[i]);
}

std::size_t ModelloElenco::Mostrabili() const {
    const bool vista = soloErrati_ || colonnaOrdine_ != 0 || ordine_ != Qt::AscendingOrder;
    return vista ? vista_.size() : tutte_.size();
}

int ModelloElenco::rowCount(const QModelIndex& genitore) const {
    return genitore.isValid() ? 0 : static_cast<int>(esposte_);
}

bool ModelloElenco::canFetchMore(const QModelIndex& genitore) const {
    return !genitore.isValid() && esposte_ < Mostrabili();
}

void ModelloElenco::fetchMore(const QModelIndex& genitore) {
    if (!canFetchMore(genitore)) {
        return;
    }
    const std::size_t quante = std::min(kPasso, Mostrabili() - esposte_);
    beginInsertRows({}, static_cast<int>(esposte_), static_cast<int>(esposte_ + quante) - 1);
    esposte_ += quante;
    endInsertRows();
}

int ModelloElenco::columnCount(const QModelIndex& genitore) const {
    return genitore.isValid() ? 0 : 4 + static_cast<int>(proprie_.size());
}

QVariant ModelloElenco::data(const QModelIndex& indice, int ruolo) const {
    if (!indice.isValid() || indice.row() >= rowCount()) {
        return {};
    }
    if (ruolo == Qt::TextAlignmentRole && indice.column() == 0) {
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    }
    // A reason longer than its column is read whole in the cell's tool tip.
    const bool suggerimento = ruolo == Qt::ToolTipRole && indice.column() == 3;
    if (ruolo != Qt::DisplayRole && ruolo != Qt::ForegroundRole && !suggerimento) {
        return {};
    }
    const Riga r = Mostrata(static_cast<std::size_t>(indice.row()));
    if (ruolo == Qt::ForegroundRole) {
        return indice.column() == 2 && r.esito != Corretto ? QVariant(ColoreRgb(kColoreRossoScuro))
                                                           : QVariant();
    }
    switch (indice.column()) {
        case 0:
            return QVariant::fromValue(static_cast<qulonglong>(r.riga));
        case 1:
            return Testo(r.codice);
        case 2:
            return Testo(NomeEsito(r.esito));
        case 3:
            return Testo(r.motivo);
        default: {
            const auto j =
                static_cast<std::size_t>(proprie_[static_cast<std::size_t>(indice.column() - 4)]);
            return j < r.celle.size() ? Testo(r.celle[j]) : QString();
        }
    }
}

QVariant ModelloElenco::headerData(int sezione, Qt::Orientation verso, int ruolo) const {
    if (verso == Qt::Horizontal && ruolo == Qt::DisplayRole && sezione >= 0 &&
        sezione < columnCount()) {
        if (sezione < 4) {
            return QString::fromLatin1(kColonne[sezione]);
        }
        const auto j = static_cast<std::size_t>(proprie_[static_cast<std::size_t>(sezione - 4)]);
        return j < forma_.colonne.size() && !forma_.colonne[j].empty()
                   ? Testo(forma_.colonne[j])
                   : QStringLiteral("Colonna %1").arg(j + 1);
    }
    return QAbstractTableModel::headerData(sezione, verso, ruolo);
}

void ModelloElenco::sort(int colonna, Qt::SortOrder ordine) {
    if (colonna < 0) {
        colonna = 0;
    }
    if (colonna == colonnaOrdine_ && ordine == ordine_) {
        return;
    }
    colonnaOrdine_ = colonna;
    ordine_ = ordine;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    Rifai();
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void ModelloElenco::Rifai() {
    vista_.clear();
    vista_.shrink_to_fit();
    if (!soloErrati_ && colonnaOrdine_ == 0 && ordine_ == Qt::AscendingOrder) {
        return;  // as the list came
    }
    for (std::uint64_t posto : tutte_) {
        if (Mostra(posto)) {
            vista_.push_back(posto);
        }
    }
    if (colonnaOrdine_ == 0 && ordine_ == Qt::AscendingOrder) {
        return;
    }
    const int colonna = colonnaOrdine_;
    const int propria = colonna >= 4 ? proprie_[static_cast<std::size_t>(colonna - 4)] : -1;
    auto chiave = [&](std::uint64_t posto) {
        const Riga r = Leggi(posto);
        std::string_view testo;
        if (colonna == 1) {
            testo = r.codice;
        } else if (colonna == 3) {
            testo = r.motivo;
        } else if (propria >= 0 && static_cast<std::size_t>(propria) < r.celle.size()) {
            testo = r.celle[static_cast<std::size_t>(propria)];
        }
        // The text where it lies: the blocks stay as they are while the table sorts.
        return std::make_tuple(colonna == 2 ? -int{r.esito} : 0, testo, r.riga);
    };
    // The keys once each, not once a comparison.
    std::vector<std::pair<decltype(chiave(0)), std::uint64_t>> chiavi;
    chiavi.reserve(vista_.size());
    for (std::uint64_t posto : vista_) {
        chiavi.emplace_back(chiave(posto), posto);
    }
    std::sort(chiavi.begin(), chiavi.end(), [this](const auto& a, const auto& b) {
        return ordine_ == Qt::AscendingOrder ? a.first < b.first : b.first < a.first;
    });
    for (std::size_t i = 0; i < chiavi.size(); ++i) {
        vista_[i] = chiavi[i].second;
    }
}

void ModelloElenco::SoloErrati(bool solo) {
    if (solo == soloErrati_) {
        return;
    }
    beginResetModel();
    soloErrati_ = solo;
    Rifai();
    esposte_ = std::min(kPasso, Mostrabili());
    endResetModel();
}

void ModelloElenco::Svuota() {
    beginResetModel();
    blocchi_.clear();
    blocchi_.shrink_to_fit();
    usato_ = kBlocco;
    tutte_.clear();
    tutte_.shrink_to_fit();
    vista_.clear();
    vista_.shrink_to_fit();
    esposte_ = 0;
    colonnaOrdine_ = 0;
    ordine_ = Qt::AscendingOrder;
    forma_ = {};
    celle_ = 0;
    proprie_.clear();
    totali_ = {};
    endResetModel();
}

void ModelloElenco::ImpostaForma(const NODREL1::FormaElenco& forma, int celle) {
    if (celle <= celle_ && !forma_.colonne.empty() == !forma.colonne.empty()) {
        return;
    }
    beginResetModel();
    forma_ = forma;
    celle_ = std::max(celle_, celle);
    proprie_.clear();
    for (int j = 0; j < celle_; ++j) {
        if (j != forma_.codice) {
            proprie_.push_back(j);
        }
    }
    endResetModel();
}

void ModelloElenco::Aggiungi(const std::string& righe) {
    const bool vista = soloErrati_ || colonnaOrdine_ != 0 || ordine_ != Qt::AscendingOrder;
    std::vector<std::uint64_t> nuove;
    Lettura l{righe.data()};
    const char* fine = righe.data() + righe.size();
    while (l.p < fine) {
        const std::string_view riga = l.Testo();
        if (usato_ + riga.size() > kBlocco) {
            blocchi_.push_back(std::make_unique_for_overwrite<char[]>(kBlocco));
            usato_ = 0;
        }
        const std::uint64_t posto = (blocchi_.size() - 1) * kBlocco + usato_;
        std::memcpy(blocchi_.back().get() + usato_, riga.data(), riga.size());
        usato_ += riga.size();
        nuove.push_back(posto);
        const Riga r = Leggi(posto);
        ++totali_.codici;
        if (r.esito == Corretto) {
            ++totali_.corretti;
        } else if (r.esito == Errato) {
            ++totali_.errati;
        } else {
            ++totali_.nonCorrispondenti;
        }
        totali_.duplicati += r.duplicato;
        totali_.calcolati += r.calcolato && r.esito != Errato;
    }
    std::vector<std::uint64_t> mostrate;
    for (std::uint64_t posto : nuove) {
        if (vista && Mostra(posto)) {
            mostrate.push_back(posto);
        }
    }
    tutte_.insert(tutte_.end(), nuove.begin(), nuove.end());
    vista_.insert(vista_.end(), mostrate.begin(), mostrate.end());
    // The view gets the new rows at once while it has less than a step; the rest as it scrolls.
    const std::size_t quante =
        esposte_ < kPasso ? std::min(kPasso, Mostrabili()) - esposte_ : std::size_t{0};
    if (quante > 0) {
        beginInsertRows({}, static_cast<int>(esposte_), static_cast<int>(esposte_ + quante) - 1);
        esposte_ += quante;
        endInsertRows();
    }
}

Form4::Form4(QWidget* proprietario) : QDialog(proprietario), modello_(new ModelloElenco(this)) {
    // A lot of rows is made on the background thread and freed on this one; from the heap it
    // would go back to the background's arena and stay there, hundreds of megabytes for a long
    // list, until the end. A block of its own from the system goes back the moment it is freed.
    mallopt(M_MMAP_THRESHOLD, static_cast<int>(kLotto / 2));
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
    Command1 = pulsante("Command1", "&Apri file...",
                        "Verifica i codici di un file di testo, CSV o di un foglio di calcolo");
    Command2 = pulsante("Command2", "&Incolla elenco",
                        "Verifica i codici copiati negli appunti, uno per riga");
    Command3 = pulsante("Command3", "&Salva risultati...", "Salva i risultati in un file CSV");
    Command4 = pulsante("Command4", "I&nterrompi", "Interrompe la verifica in corso");
    Command5 = pulsante("Command5", "&Chiudi", "Chiude la finestra");
    Check1 = new QCheckBox(QStringLiteral("Solo &errati"), this);
    Check1->setObjectName("Check1");
    Check1->setToolTip(QStringLiteral("Mostra solo le righe con un codice errato"));
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
    connect(Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });
    connect(Command5, &QPushButton::clicked, this, &QDialog::close);
    connect(Check1, &QCheckBox::toggled, this, [this] { Check1_Click(); });

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
    Grid1->setToolTip(
        QStringLiteral("Doppio clic: copia la persona o il codice nella finestra "
                       "principale"));
    Grid1->verticalHeader()->hide();
    // One line of text a row: a long list is read by scrolling.
    Grid1->verticalHeader()->setDefaultSectionSize(Grid1->fontMetrics().height() + 6);
    Grid1->horizontalHeader()->setStretchLastSection(true);
    Grid1->setColumnWidth(0, 80);
    Grid1->setColumnWidth(1, 170);
    Grid1->setColumnWidth(2, 100);
    Grid1->setColumnWidth(3, 280);  // the reason is what the clerk reads
    connect(Grid1, &QTableView::doubleClicked, this,
            [this](const QModelIndex& indice) { Grid1_DblClick(indice); });

    auto* pulsanti = new QHBoxLayout;
    for (QPushButton* p : {Command1, Command2, Command3, Command4}) {
        pulsanti->addWidget(p);
    }
    pulsanti->addWidget(Check1);
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
    // The rows of a long list are given back to the system, not kept for the next one.
    delete modello_;
    modello_ = nullptr;
    malloc_trim(0);
}

void Form4::Command1_Click() {
    QFileDialog dialogo(this, QStringLiteral("Apri elenco di codici fiscali"));
    dialogo.setObjectName("DialogoApri");
    dialogo.setOption(QFileDialog::DontUseNativeDialog);
    dialogo.setAcceptMode(QFileDialog::AcceptOpen);
    dialogo.setFileMode(QFileDialog::ExistingFile);
    dialogo.setNameFilters(
        {QStringLiteral("Elenchi di testo, CSV o fogli di calcolo (*.txt *.csv *.xlsx *.ods)"),
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
    Salva();
}

bool Form4::Salva() {
    bool tutte = true;
    if (modello_->SoloErrati() && modello_->Mostrabili() < modello_->Tutte()) {
        QMessageBox domanda(QMessageBox::NoIcon, QStringLiteral("Nodrel"),
                            QStringLiteral("Salvare tutte le righe o solo quelle mostrate?"),
                            QMessageBox::NoButton, this);
        domanda.setObjectName("DomandaSalva");
        QPushButton* tutteLeRighe =
            domanda.addButton(QStringLiteral("&Tutte le righe"), QMessageBox::AcceptRole);
        QPushButton* mostrate =
            domanda.addButton(QStringLiteral("Solo quelle &mostrate"), QMessageBox::AcceptRole);
        domanda.addButton(QStringLiteral("Annulla"), QMessageBox::RejectRole);
        domanda.setDefaultButton(tutteLeRighe);
        domanda.exec();
        if (domanda.clickedButton() != tutteLeRighe && domanda.clickedButton() != mostrate) {
            return false;
        }
        tutte = domanda.clickedButton() == tutteLeRighe;
    }
    QFileDialog dialogo(this, QStringLiteral("Salva i risultati"));
    dialogo.setObjectName("DialogoSalva");
    dialogo.setOption(QFileDialog::DontUseNativeDialog);
    dialogo.setAcceptMode(QFileDialog::AcceptSave);
    dialogo.setDefaultSuffix(QStringLiteral("csv"));
    dialogo.setNameFilter(QStringLiteral("File CSV (*.csv)"));
    if (dialogo.exec() != QDialog::Accepted || dialogo.selectedFiles().isEmpty()) {
        return false;
    }
    const QString percorso = dialogo.selectedFiles().constFirst();
    // Written whole under another name and then renamed, so a failure leaves no half file.
    QSaveFile file(percorso);
    bool fatto = file.open(QIODevice::WriteOnly);
    std::string testo(NODREL1::kIntestazioneVerifica);
    const int colonne = modello_->columnCount();
    if (colonne > 4) {
        testo.pop_back();
        for (int c = 4; c < colonne; ++c) {
            testo += ';';
            NODREL1::ScriviCampo(
                testo,
                modello_->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString().toStdString());
        }
        testo += '\n';
    }
    const std::size_t righe = tutte ? modello_->Tutte() : modello_->Mostrabili();
    for (std::size_t i = 0; i < righe; ++i) {
        const ModelloElenco::Riga r =
            tutte && modello_->SoloErrati() ? modello_->DiTutte(i) : modello_->Mostrata(i);
        NODREL1::ScriviVerifica(testo, r.riga, r.codice, NomeEsito(r.esito), r.motivo);
        if (colonne > 4) {
            testo.pop_back();
            for (int j : modello_->Proprie()) {
                testo += ';';
                if (static_cast<std::size_t>(j) < r.celle.size()) {
                    NODREL1::ScriviCampo(testo, r.celle[static_cast<std::size_t>(j)]);
                }
            }
            testo += '\n';
        }
        if (testo.size() >= (1 << 20)) {
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
        return false;
    }
    salvato_ = true;
    return true;
}

void Form4::Command4_Click() {
    if (!lavoro_) {
        return;
    }
    // Stopped where the table stands: what the background had read past it is dropped.
    interrotto_ = true;
    Ferma();
    ++corsa_;
    Finito(false, {});
}

void Form4::Check1_Click() {
    modello_->SoloErrati(Check1->isChecked());
}

void Form4::Grid1_DblClick(const QModelIndex& indice) {
    auto* principale = qobject_cast<Form2*>(parentWidget());
    if (!indice.isValid() || principale == nullptr) {
        return;
    }
    const ModelloElenco::Riga r = modello_->Mostrata(static_cast<std::size_t>(indice.row()));
    const NODREL1::FormaElenco& forma = modello_->Forma();
    auto cella = [&](int k) {
        const int j = forma.persona[static_cast<std::size_t>(k)];
        return j >= 0 && static_cast<std::size_t>(j) < r.celle.size()
                   ? Testo(r.celle[static_cast<std::size_t>(j)]).trimmed()
                   : QString();
    };
    principale->Text1->setText(Testo(r.codice).toUpper());
    if (forma.Persone() && !r.celle.empty()) {
        principale->Text2->setText(cella(0).toUpper());
        principale->Text3->setText(cella(1).toUpper());
        principale->Cbosesso->setCurrentIndex(cella(2).startsWith(u'F', Qt::CaseInsensitive) ? 1
                                                                                             : 0);
        const QString data = DataDelCampo(cella(3));
        principale->Text7->setText(data);
        const QString luogo = cella(4).toUpper();
        const QString provincia = cella(5).toUpper();
        principale->Text5->setText(luogo);
        principale->Text6->setText(provincia);
        principale->Text8->setText(QString());
        principale->completamento.scelto.reset();
        principale->completamento.digitato = luogo;
        if (const auto& registro = principale->modulo.registro) {
            const auto omonimi = registro->Omonimi(luogo.toStdU16String());
            if (!omonimi.empty()) {
                const NODREL1::Comune* comune = NODREL1::ScegliComune(
                    *registro, luogo.toStdU16String(), provincia.toStdU16String(),
                    data.toStdU16String(), &omonimi.front());
                principale->Text5->setText(QString::fromStdU16String(comune->nome));
                principale->MostraComune(*comune);
            }
        }
    }
    principale->raise();
    principale->activateWindow();
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
        Foglio(percorso) ? percorso : QString(), QFileInfo(percorso).size(),
        QFileInfo(percorso).fileName(),
        // A pipe or a device cannot be read again: it keeps the table of its codes.
        QFileInfo(percorso).isFile() ? std::function<bool()>([file] { return file->seek(0); })
                                     : std::function<bool()>());
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
        QString(), testo.size(), QString());
}

void Form4::Avvia(Lettore leggi, const QString& foglio, qint64 totale, const QString& nome,
                  std::function<bool()> riavvolgi) {
    Ferma();
    modello_->Svuota();
    totale_ = totale;
    nome_ = nome;
    interrotto_ = false;
    salvato_ = true;
    setWindowTitle(nome.isEmpty() ? QStringLiteral("Verifica elenco")
                                  : QStringLiteral("Verifica elenco - ") + nome);
    Grid1->setSortingEnabled(false);
    Grid1->horizontalHeader()->setSortIndicatorShown(false);
    ProgressBar1->setValue(0);
    Label1->setText(QStringLiteral("Verifica in corso..."));
    if (foglio.isEmpty()) {
        modello_->Riserva(static_cast<std::size_t>(totale / 17));  // a code and its line end
    }
    interrompi_ = std::make_shared<std::atomic<bool>>(false);
    const std::shared_ptr<std::atomic<bool>> interrompi = interrompi_;
    const QString percorso = PercorsoRegistro();
    const int corsa = ++corsa_;

    inViaggio_ = std::make_shared<std::atomic<std::int64_t>>(0);
    lavoro_ = QThread::create([this, leggi = std::move(leggi), riavvolgi = std::move(riavvolgi),
                               foglio, interrompi, percorso, corsa, registro = registro_,
                               inViaggio = inViaggio_, totale]() mutable {
        // Without a register the municipalities go unchecked.
        if (!registro) {
            try {
                registro = ApriRegistro(percorso.toStdU16String());
            } catch (const std::exception&) {
            }
        }
        NODREL1::ElencoCodici elenco(registro.get());
        // A file is read twice, as the command line reads it, so that no table of all its codes
        // is kept beside the rows.
        const bool dueLetture = foglio.isEmpty() && riavvolgi;
        if (dueLetture) {
            elenco.PrimaLettura();
        }
        if (foglio.isEmpty()) {
            elenco.Prevedi(static_cast<std::uint64_t>(totale));
        }
        std::string righe;
        int celle = 0;
        auto voce = [&righe, &celle](const NODREL1::VoceElenco& v) {
            ModelloElenco::Scrivi(righe, v);
            celle = std::max(celle, static_cast<int>(v.celle.size()));
        };
        qint64 letti = 0;
        auto consegna = [&] {
            // The table takes the rows at its own pace: the background waits rather than pile
            // up rows the table has not taken yet.
            while (*inViaggio > kInViaggio && !*interrompi) {
                QThread::msleep(5);
            }
            *inViaggio += static_cast<std::int64_t>(righe.size());
            QMetaObject::invokeMethod(
                this,
                [this, corsa, righe = std::move(righe), forma = elenco.Forma(), celle,
                 letti]() mutable {
                    if (corsa == corsa_) {
                        Ricevi(std::move(righe), forma, celle, letti);
                    }
                },
                Qt::QueuedConnection);
            righe = std::string();
        };
        bool fallito = false;
        QString errore;
        QElapsedTimer tempo;
        tempo.start();
        // A few times a second: the table grows and the bar moves as the user watches.
        auto forse = [&] {
            if (tempo.elapsed() >= 150 || righe.size() >= kLotto) {
                consegna();
                tempo.restart();
            }
        };
        if (!foglio.isEmpty()) {
            Cartella cartella;
            fallito = !cartella.Apri(foglio, errore) ||
                      !cartella.Leggi(
                          0,
                          [&](std::uint64_t riga, std::span<const std::string_view> cellule) {
                              elenco.LeggiRiga(riga, cellule, voce);
                              forse();
                              return !*interrompi;
                          },
                          errore);
            if (!fallito && !*interrompi) {
                elenco.Fine(voce);
            }
        } else {
            std::vector<char> pezzo(kPezzo);
            if (dueLetture) {
                // The first reading hands no row, only marks the codes.
                auto niente = [](const NODREL1::VoceElenco&) {};
                qint64 n = 0;
                while (!*interrompi && (n = leggi(pezzo.data(), kPezzo)) > 0) {
                    elenco.Leggi(std::string_view(pezzo.data(), static_cast<std::size_t>(n)),
                                 niente);
                }
                fallito = n < 0 || !riavvolgi();
                if (!fallito) {
                    elenco.Fine(niente);
                    elenco.SecondaLettura();
                }
            }
            while (!fallito && !*interrompi) {
                const qint64 n = leggi(pezzo.data(), kPezzo);
                if (n <= 0) {
                    fallito = n < 0;
                    if (n == 0) {
                        elenco.Fine(voce);
                    }
                    break;
                }
                letti += n;
                elenco.Leggi(std::string_view(pezzo.data(), static_cast<std::size_t>(n)), voce);
                forse();
            }
            if (elenco.Cambiato()) {
                // The rows read before the change stay; none after it is shown.
                fallito = true;
                errore = QStringLiteral("il file è cambiato durante la lettura");
            }
        }
        consegna();
        QMetaObject::invokeMethod(
            this,
            [this, corsa, fallito, errore] {
                if (corsa == corsa_) {
                    Finito(fallito, errore);
                }
            },
            Qt::QueuedConnection);
    });
    lavoro_->start();
    AggiornaPulsanti();
}

void Form4::Ricevi(std::string righe, const NODREL1::FormaElenco& forma, int celle, qint64 letti) {
    *inViaggio_ -= static_cast<std::int64_t>(righe.size());
    if (!lavoro_) {
        return;  // a list that was stopped; its last results are not wanted
    }
    modello_->ImpostaForma(forma, celle);
    modello_->Aggiungi(righe);
    salvato_ = modello_->Tutte() == 0;
    ProgressBar1->setValue(
        totale_ > 0 ? static_cast<int>(std::min<qint64>(letti, totale_) * 1000 / totale_) : 0);
    MostraRiepilogo();
}

void Form4::MostraRiepilogo() {
    const QString riepilogo = QString::fromStdString(NODREL1::TestoRiepilogo(modello_->Totali()));
    Label1->setText(interrotto_ ? QStringLiteral("Verifica interrotta: ") + riepilogo : riepilogo);
}

void Form4::Finito(bool fallito, const QString& errore) {
    if (lavoro_) {
        lavoro_->wait();
        delete lavoro_;
        lavoro_ = nullptr;
    }
    if (!interrotto_ && !fallito) {
        ProgressBar1->setValue(1000);
    }
    // The pieces on their way and the table of codes seen are gone: their memory goes back too.
    malloc_trim(0);
    MostraRiepilogo();
    // The indicator first: turning sorting on sorts by it, which in the list's own order costs
    // nothing, where Qt's default (descending) would sort ten million rows twice.
    Grid1->horizontalHeader()->setSortIndicator(0, Qt::AscendingOrder);
    Grid1->setSortingEnabled(true);
    Grid1->horizontalHeader()->setSortIndicatorShown(true);
    AggiornaPulsanti();
    if (fallito) {
        MsgBox(this, QStringLiteral("Impossibile leggere il file ") + nome_ +
                         (errore.isEmpty() ? QString() : QStringLiteral(": ") + errore));
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
    Command3->setEnabled(libero && modello_->Tutte() > 0);
    Command4->setEnabled(!libero);
}

void Form4::reject() {
    close();
}

void Form4::closeEvent(QCloseEvent* evento) {
    Command4_Click();
    if (!salvato_) {
        QMessageBox domanda(QMessageBox::NoIcon, QStringLiteral("Nodrel"),
                            QStringLiteral("I risultati non sono stati salvati. Salvarli prima "
                                           "di chiudere?"),
                            QMessageBox::NoButton, this);
        domanda.setObjectName("DomandaChiudi");
        QPushButton* salva = domanda.addButton(QStringLiteral("&Salva"), QMessageBox::AcceptRole);
        QPushButton* nonSalvare =
            domanda.addButton(QStringLiteral("&Non salvare"), QMessageBox::DestructiveRole);
        domanda.addButton(QStringLiteral("Annulla"), QMessageBox::RejectRole);
        domanda.setDefaultButton(salva);
        domanda.exec();
        if (domanda.clickedButton() == salva ? !Salva() : domanda.clickedButton() != nonSalvare) {
            evento->ignore();
            return;
        }
    }
    Ferma();
    evento->accept();
}

}  // namespace nodrel
