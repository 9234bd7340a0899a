// Surname and given-name letters.

#include <gtest/gtest.h>

#include <string>

#include "engine/nodrel1.h"

namespace {

using NODREL1::CodiceCognome;
using NODREL1::CodiceNome;

struct Caso {
    std::u16string testo;
    std::u16string atteso;
    const char* perche;
};

TEST(CodiceCognome, ConsonantsThenVowelsThenFiller) {
    const Caso casi[] = {
        {u"ROSSI", u"RSS", "three consonants"},
        {u"BIANCHI", u"BNC", "first three consonants; surnames never skip the second"},
        {u"DE LUCA", u"DLC", "blank dropped, words read as one"},
        {u"DE\tLUCA", u"D\tL", "a tab is no blank: it counts as a consonant"},
        {u"D'AMICO", u"D'M", "an apostrophe is a consonant"},
        {u"FO", u"FOX", "one consonant, the vowel, then filler"},
        {u"EA", u"EAX", "vowels only"},
        {u"O", u"OXX", "single vowel: the filler is added once, whole"},
        {u"", u"XX", "empty: the filler alone"},
        {u"   ", u"XX", "blanks only: nothing but the filler"},
        {u"rossi", u"ros", "lower-case letters, vowels included, are consonants"},
        {u"\u00C0E", u"\u00C0EX", "an accented vowel is a consonant"},
    };
    for (const Caso& c : casi) {
        SCOPED_TRACE(c.perche);
        EXPECT_EQ(CodiceCognome(c.testo), c.atteso);
    }
}

TEST(CodiceNome, FourOrMoreConsonantsSkipTheSecond) {
    const Caso casi[] = {
        {u"MARIO", u"MRA", "two consonants, then vowels"},
        {u"LUCA", u"LCU", "two consonants, then vowels"},
        {u"IDA", u"DIA", "one consonant"},
        {u"EUA", u"EUA", "three vowels; the filler is cut off"},
        {u"MATTIA", u"MTT", "exactly three consonants stay as they are"},
        {u"BEATRICE", u"BRC", "four consonants: first, third, fourth"},
        {u"GIANFRANCO", u"GFR", "six consonants: first, third, fourth"},
        {u"BIANCHI", u"BCH", "as a name BIANCHI skips N (as a surname it gives BNC)"},
        {u"ANNA MARIA", u"NMR", "two names read as one"},
        {u"D'AMICO", u"DMC", "the apostrophe is the second consonant and is dropped"},
        {u"mario", u"mri", "lower case: five consonants"},
        {u"", u"XX", "empty: the filler alone"},
        {u"  ", u"XX", "blanks only: nothing but the filler"},
    };
    for (const Caso& c : casi) {
        SCOPED_TRACE(c.perche);
        EXPECT_EQ(CodiceNome(c.testo), c.atteso);
    }
}

}  // namespace
