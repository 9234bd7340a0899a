// The pure rules of the code: surname and name letters, date and sex, check character, blanks.

#include <algorithm>
#include <chrono>
#include <optional>
#include <string_view>

#include "engine/interno.h"
#include "engine/nodrel1.h"

namespace NODREL1 {

namespace {

// The ASCII letters, upper case, that a character counts as in a name: a letter with a
// diacritic is its base letter, a ligature two letters. Each entry of the table takes two
// characters for U+00C0 to U+017F; a blank entry is no letter (the signs x and ÷).
constexpr std::u16string_view kLatini =
    u"A A A A A A AEC E E E E I I I I "   // U+00C0
    u"D N O O O O O   O U U U U Y THSS"   // U+00D0
    u"A A A A A A AEC E E E E I I I I "   // U+00E0
    u"D N O O O O O   O U U U U Y THY "   // U+00F0
    u"A A A A A A C C C C C C C C D D "   // U+0100
    u"D D E E E E E E E E E E G G G G "   // U+0110
    u"G G G G H H H H I I I I I I I I "   // U+0120
    u"I I IJIJJ J K K K L L L L L L L "   // U+0130
    u"L L L N N N N N N N N N O O O O "   // U+0140
    u"O O OEOER R R R R R S S S S S S "   // U+0150
    u"S S T T T T T T U U U U U U U U "   // U+0160
    u"U U U U W W Y Y Y Z Z Z Z Z Z S ";  // U+0170

std::u16string_view LettereDi(const char16_t& c) {
    if (c >= u'A' && c <= u'Z') {
        return {&c, 1};
    }
    if (c >= u'a' && c <= u'z') {
        static constexpr std::u16string_view kMaiuscole = u"ABCDEFGHIJKLMNOPQRSTUVWXYZ";
        return kMaiuscole.substr(static_cast<std::size_t>(c - u'a'), 1);
    }
    if (c >= 0xC0 && c <= 0x17F) {
        std::u16string_view voce = kLatini.substr(static_cast<std::size_t>(c - 0xC0) * 2, 2);
        return voce.substr(0, voce.find(u' '));
    }
    // Romanian S and T with a comma below, as common in names as their cedilla forms.
    if (c >= 0x218 && c <= 0x21B) {
        return c <= 0x219 ? u"S" : u"T";
    }
    return {};
}

bool Vocale(char16_t l) {
    return l == u'A' || l == u'E' || l == u'I' || l == u'O' || l == u'U';
}

// Only letters count, each as its ASCII base letter; everything else (blanks, apostrophes,
// hyphens, digits, letters of other scripts) is skipped, so the words of a multi-word name
// are read as one sequence. Fixed buffers: composition runs it on every call, so it allocates
// nothing, and four consonants and three vowels are all any group can use. `lettere(c, f)`
// calls f with each letter that the character c counts as.
template <class Carattere, class Testo, class Lettere>
std::size_t GruppoDi(const Testo& testo, bool nome, Carattere* gruppo, const Lettere& lettere) {
    char consonanti[4];
    char vocali[3];
    std::size_t nc = 0;
    std::size_t nv = 0;
    for (const auto& c : testo) {
        lettere(c, [&](char16_t l) {
            if (Vocale(l)) {
                if (nv < 3) {
                    vocali[nv++] = static_cast<char>(l);
                }
            } else if (nc < 4) {
                consonanti[nc++] = static_cast<char>(l);
            }
        });
    }
    // A given name of more than three consonants drops its second.
    if (nome && nc == 4) {
        consonanti[1] = consonanti[2];
        consonanti[2] = consonanti[3];
    }
    nc = std::min<std::size_t>(nc, 3);
    std::size_t n = 0;
    for (std::size_t i = 0; i < nc; ++i) {
        gruppo[n++] = static_cast<Carattere>(consonanti[i]);
    }
    // Fewer than three consonants: the vowels follow, then the filler X.
    for (std::size_t i = 0; i < nv && n < 3; ++i) {
        gruppo[n++] = static_cast<Carattere>(vocali[i]);
    }
    // A text without a letter gives the filler alone, two characters.
    const std::size_t lunghezza = n == 0 ? 2 : 3;
    while (n < lunghezza) {
        gruppo[n++] = static_cast<Carattere>('X');
    }
    return n;
}

}  // namespace

std::size_t GruppoLettere(std::u16string_view testo, bool nome, char16_t* gruppo) {
    return GruppoDi(testo, nome, gruppo, [](const char16_t& c, const auto& f) {
        for (char16_t l : LettereDi(c)) {
            f(l);
        }
    });
}

bool GruppoAscii(std::string_view testo, bool nome, char* tre) {
    bool ascii = true;
    bool lettera = false;
    GruppoDi(testo, nome, tre, [&](char c, const auto& f) {
        ascii = ascii && static_cast<unsigned char>(c) < 0x80;
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
        if (c >= 'A' && c <= 'Z') {
            lettera = true;
            f(static_cast<char16_t>(c));
        }
    });
    return ascii && lettera;
}

char CarattereControllo(const char* quindici) {
    return static_cast<char>('A' + TotaleControllo(quindici, kLunghezzaPersonale - 1) % 26);
}

std::u16string CodiceCognome(const std::u16string& cognome) {
    char16_t gruppo[3];
    return std::u16string(gruppo, GruppoLettere(cognome, false, gruppo));
}

std::u16string CodiceNome(const std::u16string& nome) {
    char16_t gruppo[3];
    return std::u16string(gruppo, GruppoLettere(nome, true, gruppo));
}

int MeseDellaData(const std::u16string& data) {
    std::u16string mese = Mid(data, 4, 2);
    std::size_t i = 0;
    while (i < mese.size() && mese[i] == u' ') {
        ++i;
    }
    int numero = 0;
    bool cifre = false;
    for (; i < mese.size() && mese[i] >= u'0' && mese[i] <= u'9'; ++i) {
        numero = numero * 10 + (mese[i] - u'0');
        cifre = true;
    }
    return cifre ? numero : 0;
}

std::u16string CodiceDataSesso(const std::u16string& data, const std::u16string& sesso) {
    std::u16string anno = data.size() > 2 ? data.substr(data.size() - 2) : data;
    int mese = MeseDellaData(data);
    std::u16string lettera = mese >= 1 && mese <= 12 ? Mid(kLettereMese, mese, 1) : u"";
    std::u16string giorno = Mid(data, 1, 2);
    if (sesso == u"F" && !giorno.empty()) {
        giorno[0] = static_cast<char16_t>(giorno[0] + 4);
    }
    return anno + lettera + giorno;
}

bool ControllaData(const std::u16string& data) {
    return ControllaData(data, Oggi());
}

bool ControllaData(const std::u16string& data, std::chrono::year_month_day oggi) {
    return LeggiDataNascita(data, oggi).Valida();
}

std::u16string CarattereControllo(const std::u16string& codice) {
    const std::optional<char16_t> lettera =
        LetteraControllo(TotaleControllo(codice.data(), codice.size()));
    return lettera ? std::u16string(1, *lettera) : std::u16string();
}

std::u16string TogliSpazi(const std::u16string& testo) {
    std::u16string risultato;
    risultato.reserve(testo.size());
    for (char16_t c : testo) {
        if (c != u' ') {
            risultato += c;
        }
    }
    return risultato;
}

}  // namespace NODREL1
