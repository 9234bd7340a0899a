#include "ui/elenco/modello.h"

#include <QString>
#include <algorithm>
#include <cstring>
#include <tuple>

#include "lists/scrittura.h"
#include "ui/toolkit/controlli.h"

namespace nodrel {

namespace {

const char* const kColonne[] = {"Riga", "Codice", "Esito", "Motivo"};

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
struct LetturaRiga {
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

}  // namespace

std::string_view ModelloElenco::NomeEsito(Esito e) {
    return e == Corretto ? "CORRETTO" : e == Errato ? "ERRATO" : "NON CORRISPONDE";
}

void ModelloElenco::Scrivi(std::string& righe, const VoceElenco& v) {
    std::string riga;
    AggiungiNumero(riga, v.riga);
    const Esito esito = !v.Corretto() ? Errato : v.nonCorrisponde ? NonCorrisponde : Corretto;
    riga += static_cast<char>(esito | (v.duplicatoDi != 0 ? 4 : 0) | (v.calcolato ? 8 : 0));
    AggiungiTesto(riga, v.codice);
    AggiungiTesto(riga, Motivo(v));
    const std::size_t celle = v.celle.size() > 1 ? v.celle.size() : 0;
    AggiungiNumero(riga, celle);
    for (std::size_t i = 0; i < celle; ++i) {
        AggiungiTesto(riga, v.celle[i]);
    }
    AggiungiTesto(righe, riga);
}

ModelloElenco::Riga ModelloElenco::Leggi(std::uint64_t posto) const {
    LetturaRiga l{Dati(posto)};
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
    LetturaRiga l{Dati(posto)};
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

void ModelloElenco::ImpostaForma(const FormaElenco& forma, int celle) {
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
    LetturaRiga l{righe.data()};
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

}  // namespace nodrel
