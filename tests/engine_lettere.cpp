// Surname and given-name letters.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "engine/esame.h"
#include "engine/nodrel1.h"
#include "engine/testo.h"

namespace {

using NODREL1::CodiceCognome;
using NODREL1::CodiceNome;

struct Caso {
    std::u16string testo;
    std::u16string atteso;
    const char* perche;
};

// A list's reading of the bytes gives the same letters, or leaves the text to the full reading
// where it holds no letter or a character past ASCII.
void ComeIByte(const Caso& c, bool nome) {
    char tre[3];
    const bool ascii =
        std::all_of(c.testo.begin(), c.testo.end(), [](char16_t x) { return x < 0x80; });
    if (NODREL1::GruppoAscii(NODREL1::Utf8(c.testo), nome, tre)) {
        EXPECT_EQ(NODREL1::Utf16(std::string_view(tre, 3)), c.atteso);
    } else {
        EXPECT_TRUE(!ascii || c.atteso == u"XX");
    }
}

TEST(CodiceCognome, ConsonantsThenVowelsThenFiller) {
    const Caso casi[] = {
        {u"ROSSI", u"RSS", "three consonants"},
        {u"BIANCHI", u"BNC", "first three consonants; surnames never skip the second"},
        {u"DE LUCA", u"DLC", "blank dropped, words read as one"},
        {u"DE-LUCA", u"DLC", "a hyphen is no letter"},
        {u"DE\tLUCA", u"DLC", "nor is a tab"},
        {u"D'AMICO", u"DMC", "nor an apostrophe"},
        {u"DELL'ORTO", u"DLL", "an apostrophe inside the name"},
        {u"D'ALESSIO", u"DLS", "an apostrophe after the first letter"},
        {u"M\u00DCLLER", u"MLL", "\u00DC is U, a vowel"},
        {u"rossi", u"RSS", "lower case counts as upper case"},
        {u"FO", u"FOX", "one consonant, the vowel, then filler"},
        {u"EA", u"EAX", "vowels only"},
        {u"O", u"OXX", "single vowel: the filler is added once, whole"},
        {u"\u00C0E", u"AEX", "an accented vowel is its vowel"},
        {u"\u0160\u017D\u0141\u010C", u"SZL", "Latin Extended-A letters are their base letters"},
        {u"\u0218\u021Ba", u"STA", "Romanian S and T with a comma below"},
        {u"\u00C6\u0152\u00DF", u"SSA", "ligatures are two letters each: AE OE SS"},
        {u"JOYKEWX", u"JYK", "J, Y, K, W and X are consonants"},
        {u"", u"XX", "empty: the filler alone"},
        {u"   ", u"XX", "blanks only: nothing but the filler"},
        {u"'-. 12", u"XX", "no letter at all: nothing but the filler"},
        {u"\u03A9\u0416", u"XX", "letters of other scripts give no ASCII letter"},
    };
    for (const Caso& c : casi) {
        SCOPED_TRACE(c.perche);
        EXPECT_EQ(CodiceCognome(c.testo), c.atteso);
        ComeIByte(c, false);
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
        {u"D'AMICO", u"DMC", "the apostrophe is no letter"},
        {u"NICOL\u00D2", u"NCL", "\u00D2 is O"},
        {u"NICCOL\u00D2", u"NCL", "four consonants: first, third, fourth"},
        {u"JOS\u00C9", u"JSO", "J is a consonant, \u00C9 is E"},
        {u"mario", u"MRA", "lower case counts as upper case"},
        {u"", u"XX", "empty: the filler alone"},
        {u"  ", u"XX", "blanks only: nothing but the filler"},
    };
    for (const Caso& c : casi) {
        SCOPED_TRACE(c.perche);
        EXPECT_EQ(CodiceNome(c.testo), c.atteso);
        ComeIByte(c, true);
    }
}

}  // namespace

// A municipality's name as typed, in the register's spelling; the blanks every field loses.
TEST(NomeComune, AccentsApostrophesCapitalsAndOuterBlanks) {
    const Caso casi[] = {
        {u"FORL\u00CC", u"FORLI'", "a grave accent"},
        {u"forl\u00ED", u"FORLI'", "an acute one, in lower case"},
        {u"FORLI\u0300", u"FORLI'", "a combining accent"},
        {u"CANT\u00D9 ", u"CANTU'", "a trailing blank"},
        {u"\u00A0\u2009SANT\u2019ANGELO\uFEFF", u"SANT'ANGELO", "pasted from a web page"},
        {u"SAN DON\u00C0 DI PIAVE", u"SAN DONA' DI PIAVE", "blanks inside stay"},
        {u"PL\u00C2US", u"PL\u00C2US", "a circumflex is no Italian accent"},
        {u"\t\r\n", u"", "blanks only"},
    };
    for (const Caso& c : casi) {
        SCOPED_TRACE(c.perche);
        EXPECT_EQ(NODREL1::NomeComune(c.testo), c.atteso);
    }
    // Key by key, nothing else changes.
    EXPECT_EQ(NODREL1::AccentiComeApostrofi(u" \u00E8 x"), u" e' x");
    EXPECT_EQ(NODREL1::SenzaSpaziEsterni(u"\u3000 DE ROSA\u202F"), u"DE ROSA");
}
