#include "lists/luoghi.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "engine/esame.h"

namespace nodrel {

namespace {

// YYYY-MM-DD as the number YYYYMMDD.
std::uint32_t Giorno(std::u16string_view data) {
    std::uint32_t n = 0;
    for (char16_t c : data) {
        if (c >= u'0' && c <= u'9') {
            n = n * 10 + static_cast<std::uint32_t>(c - u'0');
        }
    }
    return n;
}

// The day after `g` (YYYYMMDD) among those a code can carry, February 29 whenever the year's
// last two digits allow it.
std::uint32_t Dopo(std::uint32_t g) {
    const std::uint32_t anno = g / 10000;
    const std::uint32_t mese = g / 100 % 100;
    const std::uint32_t giorni = mese < 1 || mese > 12        ? 0
                                 : mese == 2 && anno % 4 != 0 ? 28
                                                              : NODREL1::kGiorniMese[mese - 1];
    if (g % 100 < giorni) {
        return g + 1;
    }
    return mese < 12 ? anno * 10000 + (mese + 1) * 100 + 1 : (anno + 1) * 10000 + 101;
}

// How periods (first and last day as YYYYMMDD, in pairs, compared as numbers as InVigore does)
// cover the days from `a` to `b`: 0 none of them, 1 all, 2 some.
int Copertura(const std::uint32_t* periodi, std::size_t quanti, std::uint32_t a, std::uint32_t b) {
    std::vector<std::pair<std::uint32_t, std::uint32_t>> p;
    for (std::size_t k = 0; k < 2 * quanti; k += 2) {
        if (periodi[k] <= b && periodi[k + 1] >= a) {
            p.emplace_back(periodi[k], periodi[k + 1]);
        }
    }
    if (p.empty()) {
        return 0;
    }
    std::sort(p.begin(), p.end());
    // The first day not covered yet, each period taken up if it starts by then.
    std::uint32_t serve = a;
    for (const auto& [dal, al] : p) {
        if (dal > serve) {
            break;
        }
        serve = std::max(serve, Dopo(al));
    }
    return serve > b ? 1 : 2;
}

}  // namespace

Luoghi::Luoghi(const NODREL1::Registro* registro, std::chrono::year_month_day oggi)
    : registro_(registro) {
    if (registro_ == nullptr) {
        return;
    }
    oggi_ = static_cast<std::uint32_t>(static_cast<int>(oggi.year()) * 10000 +
                                       static_cast<int>(static_cast<unsigned>(oggi.month())) * 100 +
                                       static_cast<int>(static_cast<unsigned>(oggi.day())));
    stati_.assign(NODREL1::kComuni, Stato::NonChiesto);
    inizio_.assign(NODREL1::kComuni, 0);
    anno_.assign(NODREL1::kComuni, 0);
    quanti_.assign(NODREL1::kComuni, 0);
}

void Luoghi::Chiedi(std::uint32_t i) {
    if (registro_ == nullptr || stati_[i] != Stato::NonChiesto) {
        return;
    }
    const std::array<char16_t, 4> catastale = NODREL1::CatastaleDi(i);
    const std::u16string_view codice(catastale.data(), catastale.size());
    inizio_[i] = static_cast<std::uint32_t>(periodi_.size());
    for (const NODREL1::Comune* c : registro_->TuttiPerCodice(codice)) {
        periodi_.push_back(Giorno(c->dal));
        periodi_.push_back(Giorno(c->al));
        ++quanti_[i];
    }
    if (quanti_[i] == 0) {
        stati_[i] = Stato::Ignoto;
        return;
    }
    const std::uint32_t* periodi = periodi_.data() + inizio_[i];
    // Then any date of birth can be read in the 1900s, when it was in force: most
    // municipalities, which need no look at their periods again.
    if (oggi_ >= 19991231 && Copertura(periodi, quanti_[i], 19000101, 19991231) == 1) {
        stati_[i] = Stato::SempreInVigore;
        return;
    }
    stati_[i] = Stato::Noto;
    // Otherwise each year tells it, but where a period begins or ends.
    anno_[i] = static_cast<std::uint32_t>(anni_.size());
    for (std::uint32_t yy = 0; yy < 100; ++yy) {
        int letture[2];
        for (std::uint32_t secolo : {0u, 1u}) {
            const std::uint32_t a = (1900 + 100 * secolo + yy) * 10000 + 101;
            const std::uint32_t b = a + 1130;
            // A year not over by today is only partly a date of birth.
            if (oggi_ < a) {
                letture[secolo] = 0;
            } else if (oggi_ < b) {
                letture[secolo] = Copertura(periodi, quanti_[i], a, oggi_) == 0 ? 0 : 2;
            } else {
                letture[secolo] = Copertura(periodi, quanti_[i], a, b);
            }
        }
        anni_.push_back(letture[0] == 1 || letture[1] == 1   ? Anno::Sempre
                        : letture[0] == 0 && letture[1] == 0 ? Anno::Mai
                                                             : Anno::Secondo);
    }
}

bool Luoghi::InVigore(std::uint32_t i, std::uint32_t data) const {
    const NODREL1::GiornoDelCodice g = NODREL1::GiornoDi(data);
    if (const Anno tutto = anni_[anno_[i] + g.anno]; tutto != Anno::Secondo) {
        return tutto == Anno::Sempre;
    }
    const std::uint32_t resto = g.mese * 100 + g.giorno;
    const std::uint32_t giorni[2] = {(1900 + g.anno) * 10000 + resto,
                                     (2000 + g.anno) * 10000 + resto};
    const std::uint32_t* p = periodi_.data() + inizio_[i];
    for (std::size_t k = 0; k < quanti_[i]; ++k, p += 2) {
        for (std::uint32_t giorno : giorni) {
            if (giorno <= oggi_ && p[0] <= giorno && giorno <= p[1]) {
                return true;
            }
        }
    }
    return false;
}

}  // namespace nodrel
