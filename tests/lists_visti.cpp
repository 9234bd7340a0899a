// The table of the right codes seen, against a plain map: a duplicate reported against the wrong
// line, or not at all, is the worst a list can get.

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <unordered_map>
#include <utility>
#include <vector>

#include "lists/visti.h"

namespace {

using Chiave = std::pair<std::uint64_t, std::uint8_t>;
struct Hash {
    std::size_t operator()(const Chiave& c) const {
        return std::hash<std::uint64_t>()(c.first * 131 + c.second);
    }
};
using Modello = std::unordered_map<Chiave, std::uint64_t, Hash>;

// A key and its omocode letters as lists give them: personal and numeric keys, one in ten an
// omocode, and now and then a key met before, or an omocode of one.
struct Codici {
    std::mt19937_64 caso{20261208};
    std::vector<Chiave> dati;

    Chiave operator()() {
        const std::uint64_t x = caso();
        if (!dati.empty() && x % 4 == 0) {
            Chiave c = dati[caso() % dati.size()];
            if (x % 16 == 4) {
                c.second = static_cast<std::uint8_t>(c.second + 1) & 127;
            }
            return c;
        }
        const std::uint64_t chiave = x % 8 == 1 ? std::uint64_t{1} << 63 | caso() % 10000000000u
                                                : 1 + caso() % 2088270645760000000u;
        dati.emplace_back(chiave, x % 10 == 3 ? static_cast<std::uint8_t>(1 + caso() % 127) : 0);
        return dati.back();
    }
};

TEST(CodiciVisti, EachCodeKeepsTheLineItCameOnFirst) {
    // A pipe: every right code recorded on its line, through every growth step of the table,
    // the lines crossing 2^32 and, at the end, 2^63.
    Codici codici;
    nodrel::CodiciVisti visti;
    Modello modello;
    std::uint64_t riga = 0;
    for (int i = 0; i < 500'000; ++i) {
        riga += i == 300'000 ? std::uint64_t{1} << 32 : i == 495'000 ? std::uint64_t{1} << 63 : 1;
        const Chiave c = codici();
        visti.Anticipa(c.first);
        const auto [dove, nuovo] = modello.try_emplace(c, riga);
        ASSERT_EQ(visti.Registra(c.first, c.second, riga), nuovo ? 0 : dove->second) << i;
    }
}

TEST(CodiciVisti, AFileReadTwiceAsksOnlyWhatTheFirstReadingRecorded) {
    // The first reading records codes with no line; the second gives each its first line.
    Codici codici;
    nodrel::CodiciVisti visti;
    visti.Riserva(10'000);
    Modello modello;
    for (int i = 0; i < 200'000; ++i) {
        const Chiave c = codici();
        if (i % 3 == 0) {
            modello.try_emplace(c, 0);
            ASSERT_EQ(visti.Registra(c.first, c.second, 0), 0u);
        }
    }
    visti.Chiudi();
    for (const auto& [c, riga] : modello) {
        ASSERT_TRUE(visti.Forse(c.first));
    }
    std::uint64_t riga = std::uint64_t{1} << 31;
    for (int i = 0; i < 400'000; ++i) {
        const Chiave c = codici();
        const auto dove = modello.find(c);
        std::uint64_t atteso = 0;
        if (dove != modello.end()) {
            atteso = dove->second;
            if (atteso == 0) {
                dove->second = riga;
            }
        }
        ASSERT_EQ(visti.Rivedi(c.first, c.second, riga), atteso) << i;
        riga += 1 + (i % 1000 == 0 ? std::uint64_t{1} << 32 : 0);
    }
}

}  // namespace
