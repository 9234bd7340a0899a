#include "ui/elenco/modello.h"

#include <unistd.h>

#include <QString>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "engine/nodrel1.h"
#include "engine/testo.h"
#include "lists/lettura.h"
#include "lists/scrittura.h"
#include "ui/elenco/tenuta.h"
#include "ui/toolkit/controlli.h"

namespace nodrel {

using namespace tenuta;

namespace {

const char* const kColonne[] = {"Riga", "Codice", "Esito", "Motivo"};

QString Testo(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// The file held is as it was: its size and the time of its last writing. (Not the time of its
// last change, which moving or replacing the file, a link less, also sets.)
bool Stesso(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
           a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

}  // namespace

ModelloElenco::~ModelloElenco() {
    Chiudi();
}

std::string_view ModelloElenco::NomeEsito(Esito e) {
    return e == Corretto ? "CORRETTO" : e == Errato ? "ERRATO" : "NON CORRISPONDE";
}

const ModelloElenco::Eccezione* ModelloElenco::Eccezionale(std::size_t i) const {
    const auto e = std::lower_bound(eccezioni_.begin(), eccezioni_.end(), i,
                                    [](const Eccezione& x, std::size_t j) { return x.indice < j; });
    return e != eccezioni_.end() && e->indice == i ? &*e : nullptr;
}

const ModelloElenco::Motivo& ModelloElenco::MotivoDi(std::uint32_t n) const {
    return (n & kSemplici) != 0 ? motiviSemplici_[n & ~kSemplici] : motivi_[n];
}

std::pair<ModelloElenco::Esito, std::uint32_t> ModelloElenco::Coda(std::string_view coda) {
    // A few dozen tails at most, looked up by their length and their ends.
    std::uint64_t inizio = 0;
    std::uint64_t termine = 0;
    const std::size_t otto = std::min<std::size_t>(8, coda.size());
    std::memcpy(&inizio, coda.data(), otto);
    std::memcpy(&termine, coda.data() + coda.size() - otto, otto);
    std::uint64_t chiave =
        (inizio * 0x9E3779B97F4A7C15u ^ termine ^ coda.size()) * 0xFF51AFD7ED558CCDu;
    chiave = (chiave ^ chiave >> 29) * 0xC4CEB9FE1A85EC53u;
    // Two places for each: a new one takes the second, the first moving there.
    CodaLetta* c = &code_[(chiave >> 57) * 2];
    if (c[0].testo != coda) {
        if (c[1].testo == coda) {
            return {c[1].esito, c[1].numero};
        }
        {
            const std::string motivo(coda.substr(coda.find(';') + 1));
            auto m = std::find_if(motiviSemplici_.begin(), motiviSemplici_.end(),
                                  [&motivo](const Motivo& x) { return x.testo == motivo; });
            if (m == motiviSemplici_.end()) {
                motiviSemplici_.push_back({motivo});
                m = std::prev(motiviSemplici_.end());
            }
            c[1] = std::move(c[0]);
            c[0] = {std::string(coda), coda.starts_with("CORRETTO;") ? Corretto : Errato,
                    kSemplici | static_cast<std::uint32_t>(m - motiviSemplici_.begin())};
        }
    }
    return {c[0].esito, c[0].numero};
}

void ModelloElenco::SegnaCambiato(int errore) const {
    if (cambiato_) {
        return;
    }
    cambiato_ = true;
    errore_ = errore;
    for (Riga& v : viste_) {
        v.indice_ = SIZE_MAX;
    }
    // Told after the view's painting, which is where a row is read.
    auto* modello = const_cast<ModelloElenco*>(this);
    QMetaObject::invokeMethod(
        modello,
        [modello] {
            emit modello->Cambia();
            if (modello->rowCount() > 0) {
                emit modello->dataChanged(
                    modello->index(0, 0),
                    modello->index(modello->rowCount() - 1, modello->columnCount() - 1));
            }
        },
        Qt::QueuedConnection);
}

std::string_view ModelloElenco::Byte(std::uint64_t posto) const {
    if (cambiato_) {
        return {};
    }
    if (file_ < 0) {
        return posto <= testo_.size() ? std::string_view(testo_).substr(posto, Lettura::kByteRiga)
                                      : std::string_view();
    }
    const std::uint64_t fine = inizio_ + finestra_.size();
    if (posto >= inizio_ && posto <= fine && (posto + Lettura::kByteRiga <= fine || finale_)) {
        return std::string_view(finestra_).substr(posto - inizio_, Lettura::kByteRiga);
    }
    // Read on in long stretches as the rows follow each other (a save, a sort), a row's bytes
    // alone where they jump; and only while the file is as it was when its reading began.
    struct stat ora {};
    if (fstat(file_, &ora) != 0 || !Stesso(ora, stato_)) {
        SegnaCambiato();
        return {};
    }
    constexpr std::size_t kTratto = std::size_t{1} << 20;
    const bool seguente = !finestra_.empty() && posto >= inizio_ && posto < fine + kTratto;
    finestra_.resize(seguente ? kTratto : Lettura::kByteRiga);
    std::size_t letti = 0;
    while (letti < finestra_.size()) {
        const ssize_t n = pread(file_, finestra_.data() + letti, finestra_.size() - letti,
                                static_cast<off_t>(posto + letti));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            finestra_.clear();
            SegnaCambiato(errno);
            return {};
        }
        if (n == 0) {
            break;
        }
        letti += static_cast<std::size_t>(n);
    }
    finale_ = letti < finestra_.size();
    finestra_.resize(letti);
    inizio_ = posto;
    return std::string_view(finestra_).substr(0, Lettura::kByteRiga);
}

void ModelloElenco::Leggi(std::size_t i, Riga& r, bool testo) const {
    // The row's number and its places among the duplicates and the composed codes, counted on
    // from its block's first row.
    const Blocco& blocco = blocchi_[i / kBlocco];
    std::uint64_t riga = blocco.riga;
    std::size_t duplicato = blocco.duplicati;
    std::size_t calcolato = blocco.calcolati;
    for (std::size_t j = i / kBlocco * kBlocco; j < i; ++j) {
        const std::uint64_t d = righe_[j];
        duplicato += Duplicato(d);
        calcolato += Calcolato(d);
        const std::uint64_t s = Salto(righe_[j + 1]);
        riga = s == kEccezione ? Eccezionale(j + 1)->riga : riga + s + 1;
    }
    const std::uint64_t d = righe_[i];
    const Eccezione* e = Salto(d) == kEccezione ? Eccezionale(i) : nullptr;
    r.riga = riga;
    r.esito = EsitoDi(d);
    r.duplicato = Duplicato(d);
    r.calcolato = Calcolato(d);
    r.letta = true;
    const Motivo& m = MotivoDi(e != nullptr ? e->motivo : NumeroMotivo(d));
    r.motivo_ = m.testo;
    if (r.duplicato && m.dove != std::string::npos) {
        r.motivo_.insert(m.dove,
                         std::to_string(e != nullptr ? e->duplicatoDi : duplicati_[duplicato]));
    }
    r.motivo = r.motivo_;
    r.codice_.clear();
    if (r.calcolato) {
        if (e != nullptr) {
            r.codice_ = e->codice;
        } else if (calcolati_[calcolato] != kNessunCodice) {
            Spacca(calcolati_[calcolato], r.codice_);
        }
    }
    r.codice = r.codice_;
    r.celle.clear();
    r.indice_ = i;
    if (!testo) {
        return;
    }
    const std::uint64_t posto = e != nullptr ? e->posto : Posto(d);
    if (foglio_) {
        const auto f = std::upper_bound(fogli_.begin(), fogli_.end(), posto,
                                        [](std::uint64_t p, const auto& x) { return p < x.first; });
        const char* p = std::prev(f)->second.data() + (posto - std::prev(f)->first);
        const auto celle = static_cast<std::size_t>(LeggiNumero(p));
        r.testo_.clear();
        std::vector<std::pair<std::size_t, std::size_t>> dove;
        for (std::size_t k = 0; k < celle; ++k) {
            const auto n = static_cast<std::size_t>(LeggiNumero(p));
            dove.emplace_back(r.testo_.size(), n);
            r.testo_.append(p, n);
            p += n;
        }
        for (const auto& [da, n] : dove) {
            r.celle.push_back(std::string_view(r.testo_).substr(da, n));
        }
    } else {
        const std::string_view byte = Byte(posto);
        if (byte.empty()) {
            r.letta = false;
            return;
        }
        Lettura::RigaDa(byte, conversione_, forma_.separatore, r.testo_);
        LettoreRighe::Celle(r.testo_, forma_.separatore, r.pulito_, r.celle);
        if (Impronta(r.celle) != impronte_[i]) {
            SegnaCambiato();
            r.celle.clear();
            r.letta = false;
            return;
        }
    }
    if (!r.calcolato && forma_.codice >= 0 &&
        static_cast<std::size_t>(forma_.codice) < r.celle.size()) {
        r.codice = r.celle[static_cast<std::size_t>(forma_.codice)];
    }
    if (r.celle.size() <= 1) {
        r.celle.clear();  // a list of codes alone
    }
}

const ModelloElenco::Riga& ModelloElenco::Vista(std::size_t indice) const {
    Riga& v = viste_[indice % kViste];
    if (v.indice_ != indice) {
        Leggi(indice, v, true);
    }
    return v;
}

bool ModelloElenco::Mostra(std::size_t i) const {
    return !soloErrati_ || EsitoDi(righe_[i]) != Corretto;
}

std::size_t ModelloElenco::Indice(std::size_t i) const {
    const bool vista = soloErrati_ || colonnaOrdine_ != 0 || ordine_ != Qt::AscendingOrder;
    return vista ? vista_[i] : i;
}

std::size_t ModelloElenco::Mostrabili() const {
    const bool vista = soloErrati_ || colonnaOrdine_ != 0 || ordine_ != Qt::AscendingOrder;
    return vista ? vista_.size() : righe_.size();
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
    const std::size_t i = Indice(static_cast<std::size_t>(indice.row()));
    if (ruolo == Qt::ForegroundRole) {
        return indice.column() == 2 && EsitoDi(righe_[i]) != Corretto
                   ? QVariant(ColoreRgb(kColoreRossoScuro))
                   : QVariant();
    }
    const Riga& r = Vista(i);
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
    for (std::size_t i = 0; i < righe_.size(); ++i) {
        if (Mostra(i)) {
            vista_.push_back(static_cast<std::uint32_t>(i));
        }
    }
    // Each order ends with the rows' own, so descending is ascending backwards.
    if (colonnaOrdine_ == 2) {
        // The wrong ones first.
        std::vector<std::uint64_t> chiavi;
        chiavi.reserve(vista_.size());
        for (std::uint32_t i : vista_) {
            chiavi.push_back(std::uint64_t{2u - EsitoDi(righe_[i])} << 32 | i);
        }
        std::sort(chiavi.begin(), chiavi.end());
        for (std::size_t k = 0; k < chiavi.size(); ++k) {
            vista_[k] = static_cast<std::uint32_t>(chiavi[k]);
        }
    } else if (colonnaOrdine_ != 0) {
        OrdinaPerTesto(colonnaOrdine_);
    }
    if (ordine_ == Qt::DescendingOrder) {
        std::reverse(vista_.begin(), vista_.end());
    }
}

void ModelloElenco::OrdinaPerTesto(int colonna) {
    // The rows are sorted by eight bytes of their text at a time: first by the first eight of
    // each, read in the list's order; then those alike so far by the next eight, read again in
    // the list's order, and so on. A text that ends sorts before those it begins.
    struct Chiave {
        std::uint64_t parte;
        std::uint32_t resto;  // the bytes in this part of a text that ends in it; 9 if it goes on
        std::uint32_t indice;
    };
    const int propria = colonna >= 4 ? proprie_[static_cast<std::size_t>(colonna - 4)] : -1;
    Riga r;
    auto parte = [&](std::uint32_t indice, std::size_t k, Chiave& c) {
        Leggi(indice, r, colonna != 3);
        const std::string_view t =
            colonna == 1   ? r.codice
            : colonna == 3 ? r.motivo
            : propria >= 0 && static_cast<std::size_t>(propria) < r.celle.size()
                ? r.celle[static_cast<std::size_t>(propria)]
                : std::string_view();
        const std::size_t da = 8 * k;
        std::uint64_t p = 0;
        for (std::size_t b = 0; b < 8; ++b) {
            p = p << 8 | (da + b < t.size() ? static_cast<unsigned char>(t[da + b]) : 0u);
        }
        c.parte = p;
        c.resto =
            t.size() > da + 8 ? 9u : static_cast<std::uint32_t>(t.size() - std::min(t.size(), da));
    };
    const auto prima = [](const Chiave& a, const Chiave& b) {
        return std::tie(a.parte, a.resto, a.indice) < std::tie(b.parte, b.resto, b.indice);
    };
    std::vector<Chiave> chiavi(vista_.size());
    for (std::size_t k = 0; k < vista_.size(); ++k) {
        chiavi[k].indice = vista_[k];
        parte(vista_[k], 0, chiavi[k]);
    }
    std::sort(chiavi.begin(), chiavi.end(), prima);
    // The stretches of texts alike so far that go on.
    auto uguali = [&](std::size_t da, std::size_t a,
                      std::vector<std::pair<std::size_t, std::size_t>>& tratti) {
        for (std::size_t i = da; i < a;) {
            std::size_t j = i + 1;
            while (j < a && chiavi[j].parte == chiavi[i].parte &&
                   chiavi[j].resto == chiavi[i].resto) {
                ++j;
            }
            if (j - i > 1 && chiavi[i].resto == 9) {
                tratti.emplace_back(i, j);
            }
            i = j;
        }
    };
    std::vector<std::pair<std::size_t, std::size_t>> tratti;
    uguali(0, chiavi.size(), tratti);
    for (std::size_t k = 1; !tratti.empty(); ++k) {
        std::vector<std::pair<std::uint32_t, std::uint32_t>> daLeggere;  // row, place in chiavi
        for (const auto& [da, a] : tratti) {
            for (std::size_t i = da; i < a; ++i) {
                daLeggere.emplace_back(chiavi[i].indice, static_cast<std::uint32_t>(i));
            }
        }
        std::sort(daLeggere.begin(), daLeggere.end());
        for (const auto& [indice, dove] : daLeggere) {
            parte(indice, k, chiavi[dove]);
        }
        std::vector<std::pair<std::size_t, std::size_t>> seguenti;
        for (const auto& [da, a] : tratti) {
            std::sort(chiavi.begin() + static_cast<std::ptrdiff_t>(da),
                      chiavi.begin() + static_cast<std::ptrdiff_t>(a), prima);
            uguali(da, a, seguenti);
        }
        tratti = std::move(seguenti);
    }
    for (std::size_t k = 0; k < chiavi.size(); ++k) {
        vista_[k] = chiavi[k].indice;
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

void ModelloElenco::Chiudi() {
    if (file_ >= 0) {
        ::close(file_);
    }
    file_ = -1;
    stato_ = {};
    testo_ = std::string();
    foglio_ = true;
    cambiato_ = false;
    errore_ = 0;
    finestra_ = std::string();
    inizio_ = 0;
    finale_ = false;
    for (Riga& v : viste_) {
        v.indice_ = SIZE_MAX;
    }
}

void ModelloElenco::Leggibile(int file) {
    Chiudi();
    file_ = file;
    fstat(file_, &stato_);
    foglio_ = false;
}

void ModelloElenco::Leggibile(std::string testo) {
    Chiudi();
    testo_ = std::move(testo);
    foglio_ = false;
}

void ModelloElenco::Svuota() {
    beginResetModel();
    Chiudi();
    righe_.clear();
    impronte_.clear();
    duplicati_.clear();
    calcolati_.clear();
    blocchi_ = {};
    eccezioni_ = {};
    motivi_ = {};
    motiviSemplici_ = {};
    code_ = {};
    fogli_ = {};
    ultima_ = 0;
    vista_ = {};
    esposte_ = 0;
    colonnaOrdine_ = 0;
    ordine_ = Qt::AscendingOrder;
    forma_ = {};
    celle_ = 0;
    conversione_ = Codifica::Tipo::Utf8;
    proprie_.clear();
    totali_ = {};
    endResetModel();
}

void ModelloElenco::Aggiungi(const Lotto& lotto) {
    conversione_ = lotto.conversione;
    if (lotto.celleMassime > celle_ || forma_.colonne.empty() != lotto.forma.colonne.empty()) {
        beginResetModel();
        forma_ = lotto.forma;
        celle_ = std::max(celle_, lotto.celleMassime);
        proprie_.clear();
        for (int j = 0; j < celle_; ++j) {
            if (j != forma_.codice) {
                proprie_.push_back(j);
            }
        }
        endResetModel();
    }
    forma_ = lotto.forma;
    motivi_.insert(motivi_.end(), lotto.motivi.begin(), lotto.motivi.end());
    if (!lotto.celle.empty()) {
        const std::uint64_t inizio =
            fogli_.empty() ? 0 : fogli_.back().first + fogli_.back().second.size();
        fogli_.emplace_back(inizio, lotto.celle);
    }
    const bool vista = soloErrati_ || colonnaOrdine_ != 0 || ordine_ != Qt::AscendingOrder;
    std::size_t eccezione = 0, duplicato = 0, calcolato = 0;
    const char* linea = lotto.semplici.data();
    const char* const fine = linea + lotto.semplici.size();
    constexpr std::uint32_t kSenzaNumero = ~std::uint32_t{0};
    std::uint32_t giusto = kSenzaNumero;  // the reason's number of a right code's line
    std::size_t cifre = 1;                // of a line's number
    std::uint64_t dieci = 10;             // the first number with one more
    for (std::size_t k = 0; k < lotto.righe.size(); ++k) {
        const std::size_t i = righe_.size();
        std::uint64_t d = lotto.righe[k];
        std::uint16_t impronta = lotto.impronte[k];
        std::uint64_t riga = ultima_ + Salto(d) + 1;
        Eccezione* e = nullptr;
        if (Salto(d) == kEccezione) {
            eccezioni_.push_back(lotto.eccezioni[eccezione++]);
            e = &eccezioni_.back();
            e->indice = i;
            riga = e->riga;
        }
        if ((d >> 40 & 3) == kDaLeggere) {
            // riga;codice;esito;motivo: the number is the row's, and its code the row's only
            // cell; most lines end as a right code's does.
            while (riga >= dieci) {
                ++cifre;
                dieci *= 10;
            }
            linea += cifre + 1;
            const std::string_view codice(linea, NODREL1::kLunghezzaPersonale);
            linea += NODREL1::kLunghezzaPersonale + 1;
            std::pair<Esito, std::uint32_t> esito_numero;
            constexpr std::string_view kGiusto = "CORRETTO;\n";
            if (fine - linea >= static_cast<std::ptrdiff_t>(kGiusto.size()) &&
                std::memcmp(linea, kGiusto.data(), kGiusto.size()) == 0) {
                if (giusto == kSenzaNumero) {
                    giusto = Coda(kGiusto.substr(0, kGiusto.size() - 1)).second;
                }
                esito_numero = {Corretto, giusto};
                linea += kGiusto.size();
            } else {
                const auto* a = static_cast<const char*>(
                    std::memchr(linea, '\n', static_cast<std::size_t>(fine - linea)));
                esito_numero = Coda({linea, static_cast<std::size_t>(a - linea)});
                linea = a + 1;
            }
            const auto [esito, numero] = esito_numero;
            impronta = Impronta({&codice, 1});
            d = (d & ~(std::uint64_t{3} << 40)) | std::uint64_t{esito} << 40;
            if (e != nullptr) {
                e->motivo = numero;
            } else {
                d |= CampoMotivo(numero) << 48;
            }
        }
        if (i % kBlocco == 0) {
            blocchi_.push_back({riga, static_cast<std::uint32_t>(duplicati_.size()),
                                static_cast<std::uint32_t>(calcolati_.size())});
        }
        righe_.push_back(d);
        impronte_.push_back(impronta);
        if (Duplicato(d)) {
            duplicati_.push_back(lotto.duplicati[duplicato++]);
        }
        if (Calcolato(d)) {
            calcolati_.push_back(lotto.calcolati[calcolato++]);
        }
        ultima_ = riga;
        const Esito esito = EsitoDi(d);
        ++totali_.codici;
        totali_.corretti += esito == Corretto;
        totali_.errati += esito == Errato;
        totali_.nonCorrispondenti += esito == NonCorrisponde;
        totali_.duplicati += Duplicato(d);
        totali_.calcolati += Calcolato(d) && esito != Errato;
        if (vista && Mostra(i)) {
            vista_.push_back(static_cast<std::uint32_t>(i));
        }
    }
    // The view gets the new rows at once while it has less than a step; the rest as it scrolls.
    const std::size_t quante =
        esposte_ < kPasso ? std::min(kPasso, Mostrabili()) - esposte_ : std::size_t{0};
    if (quante > 0) {
        beginInsertRows({}, static_cast<int>(esposte_), static_cast<int>(esposte_ + quante) - 1);
        esposte_ += quante;
        endInsertRows();
    }
}

}  // namespace nodrel
