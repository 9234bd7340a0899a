// Check character and blank removal.

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "engine/nodrel1.h"

namespace {

using NODREL1::CarattereControllo;
using NODREL1::TogliSpazi;

struct Caso {
    std::u16string testo;
    std::u16string atteso;
    const char* perche;
};

// RSSMRA80A01H501, odd positions from the odd tables, even ones from the plain tables:
//   R8 S18 S12 M12 R8 A0 8:19 0:0 A1 0:0 1:0 H7 5:13 0:0 1:0 = 98; 98 % 26 = 20 -> U.
// A position past the end adds 1; a character in no table adds -1.
TEST(CarattereControllo, WeightedSumOfTheFirstFifteen) {
    const Caso casi[] = {
        {u"RSSMRA80A01H501", u"U", "total 98"},
        {u"MRARSS66C17F205", u"U", "total 150"},
        {u"BNCGFR99T71L219", u"N", "total 143"},
        {u"BNCGNN85L55F205", u"W", "total 126"},
        {u"", u"P", "fifteen empty positions: total 15"},
        {u"RSSMRA80A01H501U", u"U", "the sixteenth character is ignored"},
        {u"RSSMRA80A01H501XYZ", u"U", "everything past fifteen is ignored"},
        {u"RSSMRA80A01", u"E", "short text: 78 plus 4 empty positions"},
        {u"-", u"Q", "a hyphen at an odd position is worth 2"},
        {u"rssmra80a01h501", u"Y", "lower-case letters are worth -1: total 24"},
        {u"aaaaaaaA", u"A", "total exactly 0"},
        {u"aaaaaaaa", u"", "total -1: no letter fits"},
        {u"aaaaaaaaaaaaaaa", u"", "total -15: no letter fits"},
        {u"\u00C0\u00C8\u00CC", u"J", "accented letters are worth -1: total 9"},
        {u"\U0001F600", u"L", "two UTF-16 units, -1 each: total 11"},
    };
    for (const Caso& c : casi) {
        SCOPED_TRACE(c.perche);
        EXPECT_EQ(CarattereControllo(c.testo), c.atteso);
    }
}

TEST(CarattereControllo, NeverFailsWhateverTheText) {
    for (char32_t u = 0; u <= 0xFFFF; ++u) {
        const char16_t c = static_cast<char16_t>(u);
        for (const std::u16string& testo : {std::u16string(1, c), std::u16string(15, c)}) {
            const std::u16string r = CarattereControllo(testo);
            ASSERT_TRUE(r.empty() || (r.size() == 1 && r[0] >= u'A' && r[0] <= u'Z'))
                << "character " << static_cast<unsigned>(u);
        }
    }
}

// Composition computes the check character, verification and the lists its own table-driven
// total: both must give the same letter for every first fifteen a code can have.
TEST(CarattereControllo, AgreesWithVerificationOnEveryShapeOfCode) {
    const std::u16string lettere = u"ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    const std::u16string cifre = u"0123456789LMNPQRSTUV";
    const std::u16string mesi = u"ABCDEHLMPRST";
    const std::u16string giorni[] = {u"0", u"1", u"2", u"4", u"5", u"6"};
    std::mt19937 caso(20261207);
    auto uno = [&caso](const std::u16string& da) {
        return da[std::uniform_int_distribution<std::size_t>(0, da.size() - 1)(caso)];
    };
    for (int n = 0; n < 200000; ++n) {
        std::u16string codice;
        for (int i = 0; i < 6; ++i) {
            codice += uno(lettere);
        }
        codice += {uno(cifre), uno(cifre), uno(mesi)};
        // Days 01-28 and 41-68, which every month has, whatever stands for their digits.
        codice += giorni[std::uniform_int_distribution<std::size_t>(0, 5)(caso)];
        codice += uno(u"12345678");
        codice += {uno(lettere), uno(cifre), uno(cifre), uno(cifre), u'A'};
        const NODREL1::Esame e = NODREL1::EsaminaCodice(codice);
        const std::u16string atteso = e.Corretto() ? u"A" : std::u16string(1, e.atteso.value());
        ASSERT_EQ(CarattereControllo(codice.substr(0, 15)), atteso);
    }
}

TEST(TogliSpazi, RemovesEveryBlankAndNothingElse) {
    const Caso casi[] = {
        {u"RSS MRA 80A01 H501 U", u"RSSMRA80A01H501U", "display form"},
        {u" ABCDEFGHIJKLMNOPQRST", u"ABCDEFGHIJKLMNOPQRST", "a long tail after a blank is kept"},
        {u"R S S M R A 8 0 A 0 1 H 5 0 1 U", u"RSSMRA80A01H501U", "a blank between every two"},
        {u"A B", u"AB", "one blank"},
        {u"  A  ", u"A", "leading, trailing and doubled blanks"},
        {u"", u"", "empty"},
        {u"   ", u"", "blanks only"},
        {u"A\tB\u00A0C-D'e", u"A\tB\u00A0C-D'e", "tabs and no-break spaces are not blanks"},
    };
    for (const Caso& c : casi) {
        SCOPED_TRACE(c.perche);
        EXPECT_EQ(TogliSpazi(c.testo), c.atteso);
    }
}

}  // namespace
