// The pure rules of the code: surname and name letters, date and sex, check character, blanks.

#include <algorithm>
#include <string_view>

#include "engine/interno.h"
#include "engine/nodrel1.h"

namespace NODREL1 {

namespace {

constexpr std::u16string_view kVocali = u"AEIOU";
constexpr std::u16string_view kRiempitivo = u"XX";

struct Sequenze {
    std::u16string consonanti;
    std::u16string vocali;
};

// Blanks are skipped, so the words of a multi-word name are read as one sequence. Anything that
// is not an upper-case vowel, lower-case letters included, counts as a consonant.
Sequenze Scandisci(const std::u16string& testo) {
    Sequenze s;
    for (char16_t c : testo) {
        if (c == u' ') {
            continue;
        }
        if (kVocali.find(c) != std::u16string_view::npos) {
            s.vocali += c;
        } else {
            s.consonanti += c;
        }
    }
    return s;
}

// Fewer than three consonants: the vowels follow, then the filler, cut to three characters. An
// input of blanks only stays at two characters.
std::u16string Completa(Sequenze s) {
    s.vocali += kRiempitivo;
    s.consonanti += s.vocali;
    return s.consonanti.substr(0, 3);
}

// Position (1-based) of the first occurrence of `c` in `tabella`, 0 when absent; the empty
// character (c == 0 here means "beyond the end of the text") is found at position 1.
int Posizione(std::u16string_view tabella, const char16_t* c) {
    if (c == nullptr) {
        return 1;
    }
    auto p = tabella.find(*c);
    return p == std::u16string_view::npos ? 0 : static_cast<int>(p) + 1;
}

constexpr std::u16string_view kLettere = u"ABCDEFGHIJKLMNOPQRSTUVWXYZ";
constexpr std::u16string_view kCifre = u"0123456789----------------";
constexpr std::u16string_view kLettereDispari = u"BAKPLCQDREVOSFTGUHMINJWZYX";
constexpr std::u16string_view kCifreDispari = u"10---2-3-4---5-6-7-8-9----";

}  // namespace

std::u16string CodiceCognome(const std::u16string& cognome) {
    Sequenze s = Scandisci(cognome);
    s.consonanti.resize(std::min<std::size_t>(s.consonanti.size(), 3));
    if (s.consonanti.size() < 3) {
        return Completa(std::move(s));
    }
    return s.consonanti;
}

std::u16string CodiceNome(const std::u16string& nome) {
    Sequenze s = Scandisci(nome);
    const std::u16string& c = s.consonanti;
    if (c.size() > 3) {
        return {c[0], c[2], c[3]};
    }
    if (c.size() < 3) {
        return Completa(std::move(s));
    }
    return c;
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
    const std::u16string giorno = Mid(data, 1, 2);
    const std::u16string mese = Mid(data, 4, 2);
    if (mese == u"02" && giorno <= u"29") {
        return true;
    }
    if ((mese == u"11" || mese == u"04" || mese == u"06" || mese == u"09") && giorno <= u"30") {
        return true;
    }
    return (mese == u"01" || mese == u"03" || mese == u"05" || mese == u"07" || mese == u"08" ||
            mese == u"10" || mese == u"12") &&
           giorno <= u"31";
}

std::u16string CarattereControllo(const std::u16string& codice) {
    int totale = 0;
    for (std::size_t i = 0; i < 15; ++i) {
        const char16_t* c = i < codice.size() ? &codice[i] : nullptr;
        const bool dispari = i % 2 == 0;  // positions count from 1
        totale += Posizione(dispari ? kLettereDispari : kLettere, c) +
                  Posizione(dispari ? kCifreDispari : kCifre, c) - 1;
    }
    // Characters found in no table make a negative total possible; no letter fits it, so such a
    // text gets no check character and never verifies.
    if (totale < 0) {
        return u"";
    }
    return {kLettere[static_cast<std::size_t>(totale % 26)]};
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
