#include "ui/elenco/form4.h"

#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSaveFile>
#include <QScrollArea>
#include <QTableView>
#include <QThread>
#include <QVBoxLayout>
#include <cerrno>

#include "fogli/fogli.h"
#include "lists/foglio_risultati.h"
#include "lists/scrittura.h"
#include "lists/sistema.h"
#include "ui/elenco/lavoro.h"
#include "ui/toolkit/controlli.h"
#include "ui/toolkit/impostazioni.h"
#include "ui/toolkit/messaggi.h"
#include "ui/toolkit/programma.h"
#include "ui/toolkit/twips.h"

namespace nodrel {

namespace {

// Rows come to the table in lots of about this size, each a block of memory of its own (below).
constexpr std::size_t kLotto = 1 << 20;
// The window's size and its first four columns' widths in the user's settings.
constexpr char kDimensione[] = "elenco/dimensione";
constexpr char kColonneSalvate[] = "elenco/colonne";

QString Testo(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

}  // namespace

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
    Grid1->setAccessibleName(QStringLiteral("Risultati della verifica"));
    ProgressBar1->setAccessibleName(QStringLiteral("Avanzamento della verifica"));
    QHeaderView* intestazione = Grid1->horizontalHeader();
    intestazione->setStretchLastSection(true);
    // The columns as the user last set them; else each as wide as its text: a row number of
    // millions, a code with its blanks, the widest outcome, a long reason.
    const QVariantList salvate = Impostazioni().value(kColonneSalvate).toList();
    const char* const campioni[] = {"0000000", "RSS MRA 80A01 H501 U", "NON CORRISPONDE",
                                    "carattere di controllo errato (atteso U)"};
    for (int c = 0; c < 4; ++c) {
        const int testo = Grid1->fontMetrics().horizontalAdvance(QLatin1String(campioni[c])) + 12;
        const int titolo =
            intestazione->fontMetrics().horizontalAdvance(
                modello_->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString()) +
            28;  // and the sort indicator
        const int salvata = salvate.value(c).toInt();
        Grid1->setColumnWidth(c, salvata > 0 ? salvata : std::max(testo, titolo));
    }
    // A column the user resizes is theirs, kept for the next window; until then the reason
    // widens to the longest shown.
    connect(intestazione, &QHeaderView::sectionResized, this, [this](int sezione) {
        if (sezione < 4 && QGuiApplication::mouseButtons() != Qt::NoButton) {
            larghezzeScelte_ = true;
        }
    });
    connect(modello_, &QAbstractItemModel::rowsInserted, this, [this, fisse = !salvate.isEmpty()] {
        if (fisse || larghezzeScelte_) {
            return;
        }
        const int voluta = std::min(static_cast<QAbstractItemView*>(Grid1)->sizeHintForColumn(3),
                                    std::max(Grid1->viewport()->width() * 2 / 3, 300));
        if (voluta > Grid1->columnWidth(3)) {
            Grid1->setColumnWidth(3, voluta);
        }
    });
    connect(Grid1, &QTableView::doubleClicked, this,
            [this](const QModelIndex& indice) { Grid1_DblClick(indice); });

    auto* pulsanti = new QHBoxLayout;
    for (QPushButton* p : {Command1, Command2, Command3, Command4}) {
        pulsanti->addWidget(p);
    }
    pulsanti->addWidget(Check1);
    pulsanti->addStretch();
    pulsanti->addWidget(Command5);
    auto* contenuto = new QWidget;
    auto* colonna = new QVBoxLayout(contenuto);
    colonna->addLayout(pulsanti);
    colonna->addWidget(Label1);
    colonna->addWidget(ProgressBar1);
    colonna->addWidget(Grid1);
    // On a screen too small for the buttons (a high scale on a small screen) the window still
    // fits, and its content scrolls: "Chiudi" stays in reach.
    auto* scorrimento = new QScrollArea(this);
    scorrimento->setObjectName("Scorrimento");
    scorrimento->setFrameShape(QFrame::NoFrame);
    scorrimento->setWidgetResizable(true);
    scorrimento->setWidget(contenuto);
    auto* finestra = new QVBoxLayout(this);
    finestra->setContentsMargins({});
    finestra->addWidget(scorrimento);
    RipristinaDimensione(this, kDimensione, QSize(760, 520));
    TieniNelloSchermo(this);
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
        {QStringLiteral("Elenchi di testo, CSV o fogli di calcolo (*.txt *.csv *.xlsx *.xls *.ods *.fods)"),
         QStringLiteral("Tutti i file (*)")});
    if (EseguiDialogoFile(dialogo) == QDialog::Accepted && !dialogo.selectedFiles().isEmpty()) {
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
    // A workbook by default, for the spreadsheet the list came from; the suffix follows the
    // kind chosen.
    const QStringList tipi = {QStringLiteral("Cartella di lavoro di Excel (*.xlsx)"),
                              QStringLiteral("File CSV (*.csv)")};
    dialogo.setNameFilters(tipi);
    dialogo.setDefaultSuffix(QStringLiteral("xlsx"));
    connect(&dialogo, &QFileDialog::filterSelected, &dialogo, [&](const QString& tipo) {
        dialogo.setDefaultSuffix(tipo == tipi.at(0) ? QStringLiteral("xlsx")
                                                    : QStringLiteral("csv"));
    });
    if (EseguiDialogoFile(dialogo) != QDialog::Accepted || dialogo.selectedFiles().isEmpty()) {
        return false;
    }
    const QString percorso = dialogo.selectedFiles().constFirst();
    const bool foglio = percorso.endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive) ||
                        (!percorso.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive) &&
                         dialogo.selectedNameFilter() == tipi.at(0));
    const QString perche = foglio ? SalvaFoglio(percorso, tutte) : SalvaCsv(percorso, tutte);
    if (!perche.isEmpty()) {
        MsgBox(this, QStringLiteral("Impossibile salvare il file %1: %2")
                         .arg(QDir::toNativeSeparators(percorso), perche));
        return false;
    }
    salvato_ = true;
    return true;
}

void Form4::DaSalvare(std::size_t i, bool tutte, ModelloElenco::Riga& r) const {
    if (tutte && modello_->SoloErrati()) {
        modello_->DiTutte(i, r);
    } else {
        modello_->Mostrata(i, r);
    }
}

QString Form4::PercheIlleggibile(bool salvando) const {
    const int errore = modello_->ErroreLettura();
    if (salvando) {
        return errore != 0 ? QStringLiteral("impossibile rileggere l'elenco (%1)")
                                 .arg(QString::fromStdString(PercheSistema(errore)))
                           : QStringLiteral("il file dell'elenco è cambiato dopo la verifica");
    }
    return errore != 0 ? QString::fromStdString(PercheSistema(errore))
                       : QStringLiteral("il file è cambiato dopo la verifica");
}

QString Form4::SalvaCsv(const QString& percorso, bool tutte) const {
    // Written whole under another name and then renamed, so a failure leaves no half file. A
    // byte-order mark first, so that the spreadsheet that opens it reads it as UTF-8 (NICOLÒ).
    QSaveFile file(percorso);
    errno = 0;
    bool fatto = file.open(QIODevice::WriteOnly);
    int errore = fatto ? 0 : errno;
    std::string testo = "\xEF\xBB\xBF" + std::string(kIntestazioneVerifica);
    const int colonne = modello_->columnCount();
    if (colonne > 4) {
        testo.pop_back();
        for (int c = 4; c < colonne; ++c) {
            testo += ';';
            ScriviCampo(
                testo,
                modello_->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString().toStdString());
        }
        testo += '\n';
    }
    const std::size_t righe = tutte ? modello_->Tutte() : modello_->Mostrabili();
    auto scrivi = [&] {
        fatto = fatto && file.write(testo.data(), static_cast<qint64>(testo.size())) ==
                             static_cast<qint64>(testo.size());
        errore = fatto || errore != 0 ? errore : errno;
        testo.clear();
    };
    // A row whose text can no longer be read as it was checked would be saved without it: no
    // file then, rather than one that is not the list.
    ModelloElenco::Riga r;
    for (std::size_t i = 0; i < righe; ++i) {
        DaSalvare(i, tutte, r);
        if (!r.letta) {
            return PercheIlleggibile(true);
        }
        ScriviVerifica(testo, r.riga, r.codice, ModelloElenco::NomeEsito(r.esito), r.motivo);
        if (colonne > 4) {
            testo.pop_back();
            for (int j : modello_->Proprie()) {
                testo += ';';
                if (static_cast<std::size_t>(j) < r.celle.size()) {
                    ScriviCampo(testo, r.celle[static_cast<std::size_t>(j)]);
                }
            }
            testo += '\n';
        }
        if (testo.size() >= (1 << 20)) {
            scrivi();
        }
    }
    scrivi();
    fatto = fatto && file.commit();
    errore = fatto || errore != 0 ? errore : errno;
    if (fatto) {
        return {};
    }
    // The system's reason, as the command line gives it; Qt's own where there is none.
    return errore != 0 ? QString::fromStdString(PercheSistema(errore)) : file.errorString();
}

QString Form4::SalvaFoglio(const QString& percorso, bool tutte) const {
    // The list's own columns in their order, the code's showing each row's code (the one
    // composed, where it was), then the outcome and the reason.
    const FormaElenco& forma = modello_->Forma();
    const int celle = std::max(modello_->Celle(), forma.codice + 1);
    std::vector<std::string> colonne;
    for (int j = 0; j < celle; ++j) {
        const auto k = static_cast<std::size_t>(j);
        colonne.push_back(k < forma.colonne.size() && !forma.colonne[k].empty() ? forma.colonne[k]
                          : j == forma.codice ? std::string("Codice fiscale")
                                              : "Colonna " + std::to_string(j + 1));
    }
    if (forma.codice < 0) {
        colonne.emplace_back("Codice fiscale");
    }
    colonne.emplace_back("Esito");
    colonne.emplace_back("Motivo");
    FoglioRisultati foglio(QFile::encodeName(percorso).toStdString(), colonne);
    const std::size_t righe = tutte ? modello_->Tutte() : modello_->Mostrabili();
    std::vector<std::string_view> valori;
    ModelloElenco::Riga r;
    for (std::size_t i = 0; i < righe; ++i) {
        DaSalvare(i, tutte, r);
        if (!r.letta) {
            return PercheIlleggibile(true);
        }
        valori.clear();
        for (int j = 0; j < celle; ++j) {
            const auto k = static_cast<std::size_t>(j);
            valori.push_back(j == forma.codice    ? r.codice
                             : k < r.celle.size() ? r.celle[k]
                                                  : std::string_view());
        }
        if (forma.codice < 0) {
            valori.push_back(r.codice);
        }
        valori.push_back(ModelloElenco::NomeEsito(r.esito));
        valori.push_back(r.motivo);
        foglio.Riga(r.riga, valori);
    }
    std::string perche;
    return foglio.Chiudi(perche) ? QString() : QString::fromStdString(perche);
}

void Form4::Command4_Click() {
    if (!filo_) {
        return;
    }
    // Stopped where the table stands: what the background had read past it is dropped.
    interrotto_ = true;
    Ferma();
    ++corsa_;
    Finito(static_cast<int>(EsitoEsecuzione::Tipo::Interrotto), {});
}

void Form4::Check1_Click() {
    modello_->SoloErrati(Check1->isChecked());
}

void Form4::Grid1_DblClick(const QModelIndex& indice) {
    if (!indice.isValid()) {
        return;
    }
    ModelloElenco::Riga r;
    modello_->Mostrata(static_cast<std::size_t>(indice.row()), r);
    if (!r.letta) {
        return;  // its person is no longer the one checked; the user has been told
    }
    const FormaElenco& forma = modello_->Forma();
    auto cella = [&](ColonnaPersona c) {
        const int j = forma.Colonna(c);
        return j >= 0 && static_cast<std::size_t>(j) < r.celle.size()
                   ? Testo(r.celle[static_cast<std::size_t>(j)])
                   : QString();
    };
    PersonaElenco persona;
    persona.codice = Testo(r.codice);
    persona.persona = forma.Persone() && !r.celle.empty();
    if (persona.persona) {
        persona.cognome = cella(ColonnaPersona::Cognome);
        persona.nome = cella(ColonnaPersona::Nome);
        persona.sesso = cella(ColonnaPersona::Sesso);
        persona.data = cella(ColonnaPersona::Data);
        persona.luogo = cella(ColonnaPersona::Comune);
        persona.provincia = cella(ColonnaPersona::Provincia);
    }
    emit PersonaScelta(persona);
}

void Form4::VerificaFile(const QString& percorso) {
    const QFileInfo info(percorso);
    const std::string nome = QFile::encodeName(percorso).toStdString();
    Prepara(info.fileName());
    // A pipe chosen as a file is opened and read by the run, once, its rows bringing their
    // cells as a spreadsheet's do: the window neither waits for its writer nor takes its bytes.
    struct stat stato {};
    if ((::stat(nome.c_str(), &stato) == 0 && !S_ISREG(stato.st_mode)) || Foglio(percorso)) {
        Avvia(Sorgente::File(nome), true);
        return;
    }
    // Read through a hold of the window's own, which it keeps to read the rows shown again: a
    // file replaced by another while the window is open keeps the rows that were checked.
    const int file = ::open(nome.c_str(), O_RDONLY | O_CLOEXEC);
    const int copia = file >= 0 ? fcntl(file, F_DUPFD_CLOEXEC, 0) : -1;
    std::FILE* flusso = copia >= 0 ? fdopen(copia, "rb") : nullptr;
    if (flusso == nullptr) {
        const int errore = errno;
        for (int f : {file, copia}) {
            if (f >= 0) {
                ::close(f);
            }
        }
        Finito(static_cast<int>(EsitoEsecuzione::Tipo::Illeggibile),
               QString::fromStdString(PercheSistema(errore)));
        return;
    }
    modello_->Leggibile(file);
    Avvia(Sorgente::Flusso(flusso), false);
}

void Form4::VerificaTesto(const QByteArray& testo) {
    Prepara(QString());
    modello_->Leggibile(testo.toStdString());
    Avvia(Sorgente::Memoria(testo.toStdString()), false);
}

void Form4::Prepara(const QString& nome) {
    Ferma();
    connect(modello_, &ModelloElenco::Cambia, this, &Form4::Illeggibile, Qt::UniqueConnection);
    modello_->Svuota();
    nome_ = nome;
    avviso_.clear();
    foglio_.clear();
    interrotto_ = false;
    salvato_ = true;
    setWindowTitle(nome.isEmpty() ? QStringLiteral("Verifica elenco")
                                  : QStringLiteral("Verifica elenco - ") + nome);
    Grid1->setSortingEnabled(false);
    Grid1->horizontalHeader()->setSortIndicatorShown(false);
    ProgressBar1->setValue(0);
    Label1->setText(QStringLiteral("Verifica in corso..."));
}

void Form4::Illeggibile() {
    MsgBox(this, QStringLiteral("Impossibile leggere il file ") + nome_ + QStringLiteral(": ") +
                     PercheIlleggibile(false));
}

void Form4::Avvia(Sorgente sorgente, bool foglio) {
    const int corsa = ++corsa_;

    // Qt's way: the work is an object of its own that lives on the thread, which starts it; its
    // signals come to this window queued, in the window's own thread.
    filo_ = new QThread(this);
    lavoro_ = new LavoroElenco(std::move(sorgente), foglio, registro_, PercorsoRegistro());
    lavoro_->moveToThread(filo_);
    connect(filo_, &QThread::started, lavoro_, &LavoroElenco::Esegui);
    connect(lavoro_, &LavoroElenco::Finito, filo_, &QThread::quit);
    connect(lavoro_, &LavoroElenco::Arrivate, this,
            [this, corsa](const std::shared_ptr<ModelloElenco::Lotto>& lotto) {
                if (corsa == corsa_) {
                    Ricevi(*lotto);
                    if (lavoro_) {
                        lavoro_->Restituisci(lotto);
                    }
                }
            });
    connect(lavoro_, &LavoroElenco::Avanza, this, [this, corsa](int millesimi) {
        if (corsa == corsa_) {
            ProgressBar1->setValue(millesimi);
        }
    });
    connect(lavoro_, &LavoroElenco::Avvisa, this, [this, corsa](const QString& testo) {
        if (corsa == corsa_) {
            avviso_ = testo;
            MostraRiepilogo();
        }
    });
    connect(lavoro_, &LavoroElenco::Finito, this,
            [this, corsa](int esito, const QString& perche, const QString& foglio) {
                if (corsa == corsa_) {
                    foglio_ = foglio;
                    Finito(esito, perche);
                }
            });
    filo_->start();
    AggiornaPulsanti();
}

void Form4::Ricevi(const ModelloElenco::Lotto& lotto) {
    if (lavoro_) {
        lavoro_->Prese(lotto.Byte());
    }
    modello_->Aggiungi(lotto);
    salvato_ = modello_->Tutte() == 0;
    MostraRiepilogo();
}

void Form4::MostraRiepilogo() {
    QString riepilogo = QString::fromStdString(TestoRiepilogo(modello_->Totali()));
    if (interrotto_) {
        riepilogo = QStringLiteral("Verifica interrotta: ") + riepilogo;
    }
    if (!foglio_.isEmpty()) {
        riepilogo += QStringLiteral(" (foglio %1)").arg(foglio_);
    }
    if (!avviso_.isEmpty()) {
        riepilogo += u'\n' + avviso_;
    }
    Label1->setText(riepilogo);
}

void Form4::Finito(int esito, const QString& perche) {
    Ferma();
    const auto tipo = static_cast<EsitoEsecuzione::Tipo>(esito);
    if (tipo == EsitoEsecuzione::Tipo::Fatto) {
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
    if (tipo == EsitoEsecuzione::Tipo::Illeggibile || tipo == EsitoEsecuzione::Tipo::Cambiato) {
        // The rows read before stay.
        MsgBox(this, QStringLiteral("Impossibile leggere il file ") + nome_ +
                         (perche.isEmpty() ? QString() : QStringLiteral(": ") + perche));
    }
}

void Form4::Ferma() {
    if (!filo_) {
        return;
    }
    lavoro_->Ferma();
    filo_->quit();
    filo_->wait();
    // Its thread is over: nothing of it runs any more.
    delete lavoro_;
    lavoro_ = nullptr;
    delete filo_;
    filo_ = nullptr;
    AggiornaPulsanti();
}

void Form4::AggiornaPulsanti() {
    const bool libero = filo_ == nullptr;
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
        // The question is about these results: they come into sight first, though the window
        // was minimised or behind the main one that is closing.
        if (isMinimized()) {
            showNormal();
        }
        raise();
        activateWindow();
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
    SalvaDimensione(this, kDimensione);
    if (larghezzeScelte_) {
        QVariantList larghezze;
        for (int c = 0; c < 4; ++c) {
            larghezze << Grid1->columnWidth(c);
        }
        Impostazioni().setValue(kColonneSalvate, larghezze);
    }
    evento->accept();
}

}  // namespace nodrel
