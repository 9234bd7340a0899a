#include "lists/scelte.h"

#include "engine/testo.h"

namespace nodrel {

namespace {

// AAAA-MM-GG as AAAAMMGG; 0 for a text that is no such date.
int Giorno(std::u16string_view iso) {
    if (iso.size() != 10 || iso[4] != u'-' || iso[7] != u'-') {
        return 0;
    }
    int v = 0;
    for (std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9}) {
        if (iso[i] < u'0' || iso[i] > u'9') {
            return 0;
        }
        v = v * 10 + (iso[i] - u'0');
    }
    return v;
}

}  // namespace

Scelte::Voce& Scelte::Trova(std::string_view comune, std::string_view provincia,
                            const NODREL1::Registro& registro) {
    std::size_t somma = comune.size() * 7 + provincia.size();
    for (const std::string_view t : {comune, provincia}) {
        if (!t.empty()) {
            somma = somma * 31 + static_cast<unsigned char>(t.front()) * 5 +
                    static_cast<unsigned char>(t.back());
        }
    }
    Recente& recente = recenti_[somma % kRecenti];
    const std::string_view chiave = recente.chiave;
    if (recente.voce != nullptr && chiave.size() == comune.size() + 1 + provincia.size() &&
        chiave.starts_with(comune) && chiave.ends_with(provincia) &&
        chiave[comune.size()] == '\0') {
        return *recente.voce;
    }
    chiave_.assign(comune);
    chiave_ += '\0';
    chiave_ += provincia;
    auto voce = voci_.find(std::string_view(chiave_));
    if (voce == voci_.end()) {
        if (voci_.size() >= kMassimo) {
            voci_.clear();
            recenti_ = {};
        }
        Voce nuova;
        const std::u16string nome = NODREL1::NomeComune(NODREL1::Utf16(comune));
        for (const NODREL1::Comune& c :
             nome.empty() ? std::span<const NODREL1::Comune>() : registro.Omonimi(nome)) {
            nuova.periodi.emplace_back(Giorno(c.dal), Giorno(c.al));
        }
        voce = voci_.emplace(chiave_, std::move(nuova)).first;
    }
    // The map's values stay where they are as it grows.
    recente.chiave = chiave_;
    recente.voce = &voce->second;
    return voce->second;
}

const NODREL1::SceltaComune& Scelte::Scegli(const NODREL1::Registro& registro,
                                            std::string_view comune, std::string_view provincia,
                                            int giorno, std::chrono::year_month_day oggi) {
    Voce& v = Trova(comune, provincia, registro);
    // The choice reads only which of the name's records are in force that day; a name of more
    // records than a set can tell, or one whose dates cannot be read, is asked every time.
    std::uint64_t insieme = 0;
    bool noto = v.periodi.size() <= 64;
    for (std::size_t i = 0; i < v.periodi.size() && noto; ++i) {
        const auto [dal, al] = v.periodi[i];
        noto = dal != 0 && al != 0;
        insieme |= std::uint64_t{dal <= giorno && giorno <= al} << i;
    }
    if (noto) {
        for (const auto& [chi, scelta] : v.scelte) {
            if (chi == insieme) {
                return scelta;
            }
        }
    }
    const auto cifra = [](int n) { return static_cast<char16_t>(u'0' + n % 10); };
    const int g = giorno % 100;
    const int m = giorno / 100 % 100;
    const int a = giorno / 10000;
    const char16_t data[] = {
        cifra(g / 10), cifra(g),        u'/',           cifra(m / 10), cifra(m),
        u'/',          cifra(a / 1000), cifra(a / 100), cifra(a / 10), cifra(a)};
    esito_ = NODREL1::ScegliComune(registro, NODREL1::Utf16(comune), NODREL1::Utf16(provincia),
                                   std::u16string_view(data, std::size(data)), nullptr, oggi);
    if (!noto) {
        return esito_;
    }
    v.scelte.emplace_back(insieme, esito_);
    return v.scelte.back().second;
}

}  // namespace nodrel
