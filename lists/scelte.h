#pragma once

// The municipality of birth that a list's cells name, chosen as the main window chooses it
// (NODREL1::ScegliComune) but once for each name and province and each set of the name's records
// in force: a list of a million people is born in a few hundred places, and the choice changes
// only where one of those records begins or ends.

#include <array>
#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "engine/persona.h"

namespace nodrel {

class Scelte {
public:
    // The choice for the cells `comune` and `provincia` (without their outer blanks) and the
    // day `giorno` (AAAAMMGG, a valid date of birth); the same `registro` at every call. It
    // stands until the next call.
    const NODREL1::SceltaComune& Scegli(const NODREL1::Registro& registro, std::string_view comune,
                                        std::string_view provincia, int giorno,
                                        std::chrono::year_month_day oggi);

private:
    struct Voce {
        std::vector<std::pair<int, int>> periodi;  // of the name's records, AAAAMMGG
        // By which of the records are in force; the first choice of a set is the one asked.
        std::vector<std::pair<std::uint64_t, NODREL1::SceltaComune>> scelte;
    };
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const {
            return std::hash<std::string_view>{}(s);
        }
    };

    // A list of names that are no municipality's could fill memory: past this many the names
    // are learnt afresh.
    static constexpr std::size_t kMassimo = std::size_t{1} << 16;

    // The names met last, each in the place a cheap sum of its bytes gives: most rows name a
    // place met a few rows before, and are spared the hash and the map.
    struct Recente {
        std::string chiave;
        Voce* voce = nullptr;
    };
    static constexpr std::size_t kRecenti = 32;
    Voce& Trova(std::string_view comune, std::string_view provincia,
                const NODREL1::Registro& registro);

    std::unordered_map<std::string, Voce, Hash, std::equal_to<>> voci_;
    std::array<Recente, kRecenti> recenti_;
    std::string chiave_;
    NODREL1::SceltaComune esito_;
};

}  // namespace nodrel
