// The municipality register in memory: the rows sorted once by name and by code.

#include "engine/registro.h"

#include <algorithm>
#include <cassert>
#include <cstdint>
#include <limits>

namespace NODREL1 {

namespace {

// SQLite's NOCASE folds ASCII capitals to small letters; folding the other way would put "_"
// and the other signs between Z and a in another place than the file's index does.
char16_t Minuscola(char16_t c) {
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

bool PrimaDi(std::u16string_view a, std::u16string_view b) {
    return ConfrontaNomi(a, b) < 0;
}

// A row to sort, and the first four characters of its key in one number that orders as they
// do, a shorter key with noughts after it: most comparisons end there, and keys that tie on it
// are compared whole.
struct DaOrdinare {
    std::uint64_t prefisso;
    std::uint32_t riga;
};

template <class Piega>
std::uint64_t Prefisso(std::u16string_view chiave, Piega piega) {
    std::uint64_t p = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        p = p << 16 | (i < chiave.size() ? piega(chiave[i]) : 0u);
    }
    return p;
}

}  // namespace

int ConfrontaNomi(std::u16string_view a, std::u16string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const char16_t x = Minuscola(a[i]);
        const char16_t y = Minuscola(b[i]);
        if (x != y) {
            return x < y ? -1 : 1;
        }
    }
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

Registro::Registro(std::vector<Comune> righe) {
    assert(righe.size() < std::numeric_limits<std::uint32_t>::max());
    const auto n = static_cast<std::uint32_t>(righe.size());
    // Stable sorts of row numbers: equal keys keep the table's order, today's record first.
    std::vector<DaOrdinare> ordine(n);
    for (std::uint32_t r = 0; r < n; ++r) {
        ordine[r] = {Prefisso(righe[r].nome, Minuscola), r};
    }
    std::stable_sort(ordine.begin(), ordine.end(), [&righe](DaOrdinare a, DaOrdinare b) {
        return a.prefisso != b.prefisso ? a.prefisso < b.prefisso
                                        : PrimaDi(righe[a.riga].nome, righe[b.riga].nome);
    });
    std::vector<std::uint32_t> posto(n);
    perNome_.reserve(n);
    for (std::uint32_t p = 0; p < n; ++p) {
        posto[ordine[p].riga] = p;
        perNome_.push_back(std::move(righe[ordine[p].riga]));
    }
    // By code in the table's order too, so that a code's rows keep theirs.
    for (std::uint32_t r = 0; r < n; ++r) {
        ordine[r] = {Prefisso(perNome_[posto[r]].codice, [](char16_t c) { return c; }), r};
    }
    std::stable_sort(ordine.begin(), ordine.end(), [this, &posto](DaOrdinare a, DaOrdinare b) {
        return a.prefisso != b.prefisso
                   ? a.prefisso < b.prefisso
                   : perNome_[posto[a.riga]].codice < perNome_[posto[b.riga]].codice;
    });
    perCodice_.resize(n);
    for (std::uint32_t p = 0; p < n; ++p) {
        perCodice_[p] = posto[ordine[p].riga];
    }
}

std::optional<Registro::Posizione> Registro::PrimoDa(std::u16string_view testo) const {
    const auto it =
        std::lower_bound(perNome_.begin(), perNome_.end(), testo,
                         [](const Comune& c, std::u16string_view t) { return PrimaDi(c.nome, t); });
    if (it == perNome_.end()) {
        return std::nullopt;
    }
    return static_cast<Posizione>(it - perNome_.begin());
}

std::optional<Registro::Posizione> Registro::Successivo(Posizione p) const {
    assert(p < perNome_.size());
    if (p + 1 >= perNome_.size()) {
        return std::nullopt;
    }
    return p + 1;
}

std::optional<Registro::Posizione> Registro::Precedente(Posizione p) const {
    assert(p < perNome_.size());
    if (p == 0) {
        return std::nullopt;
    }
    return p - 1;
}

std::span<const Comune> Registro::Omonimi(std::u16string_view nome) const {
    const auto [da, a] =
        std::equal_range(perNome_.begin(), perNome_.end(), nome, [](const auto& x, const auto& y) {
            if constexpr (std::is_same_v<std::decay_t<decltype(x)>, Comune>) {
                return PrimaDi(x.nome, y);
            } else {
                return PrimaDi(x, y.nome);
            }
        });
    return {da, a};
}

namespace {

struct PerCodice {
    const std::vector<Comune>& righe;
    bool operator()(std::uint32_t p, std::u16string_view c) const { return righe[p].codice < c; }
    bool operator()(std::u16string_view c, std::uint32_t p) const { return c < righe[p].codice; }
};

}  // namespace

const Comune* Registro::PerCodice(std::u16string_view codice) const {
    const auto it = std::lower_bound(perCodice_.begin(), perCodice_.end(), codice,
                                     NODREL1::PerCodice{perNome_});
    if (it == perCodice_.end() || perNome_[*it].codice != codice) {
        return nullptr;
    }
    return &perNome_[*it];
}

std::vector<const Comune*> Registro::TuttiPerCodice(std::u16string_view codice) const {
    const auto [da, a] = std::equal_range(perCodice_.begin(), perCodice_.end(), codice,
                                          NODREL1::PerCodice{perNome_});
    std::vector<const Comune*> tutti;
    for (auto it = da; it != a; ++it) {
        tutti.push_back(&perNome_[*it]);
    }
    return tutti;
}

}  // namespace NODREL1
