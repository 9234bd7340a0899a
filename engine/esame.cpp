// Whether a typed code is a code at all: its shape, its date fields and its check character.

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#include "engine/esame.h"
#include "engine/interno.h"
#include "engine/nodrel1.h"
#include "engine/testo.h"

namespace NODREL1 {

namespace {

// What each position of a personal code holds: a letter, or a digit (which an omocode may
// write as a letter).
constexpr unsigned char L = Tabella::kLettera;
constexpr unsigned char C = Tabella::kCifra;
constexpr std::array<unsigned char, kLunghezzaPersonale> kPosizioni = {L, L, L, L, L, L, C, C,
                                                                       L, C, C, L, C, C, C, L};

// The days of each month, by its letter; February by the year's two digits below.
constexpr std::array<unsigned char, 26> kGiorniLettera = [] {
    std::array<unsigned char, 26> g{};
    for (std::size_t i = 0; i < kLettereMese.size(); ++i) {
        g[static_cast<std::size_t>(kLettereMese[i] - u'A')] = kGiorniMese[i];
    }
    return g;
}();

// The weight of each of the first fifteen places in the key: letters count in base 26,
// digits in base 10, the last place the least.
constexpr std::array<std::uint64_t, kLunghezzaPersonale - 1> kPeso = [] {
    std::array<std::uint64_t, kLunghezzaPersonale - 1> p{};
    std::uint64_t peso = 1;
    for (std::size_t i = p.size(); i-- > 0;) {
        p[i] = peso;
        peso *= kPosizioni[i] == L ? 26 : 10;
    }
    return p;
}();

bool Cifra(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// Sixteen bytes tested at once for what their positions hold, each in a lane of its own (the
// compiler's vectors, SSE2 on x86-64; a byte above 0x7F is negative, so no letter or digit):
// the position of the first that does not hold it, from 1, or 0; `omocodici` nought when no
// digit is written as a letter.
unsigned PrimoSbagliato(const unsigned char* c, unsigned& omocodici) {
    using Byte16 = signed char __attribute__((vector_size(16)));
    constexpr Byte16 kLettere = {-1, -1, -1, -1, -1, -1, 0, 0, -1, 0, 0, -1, 0, 0, 0, -1};
    Byte16 x;
    std::memcpy(&x, c, sizeof x);
    const Byte16 maiuscole = (x >= 'A') & (x <= 'Z');
    const Byte16 omocodiciQui = ((x >= 'L') & (x <= 'N')) | ((x >= 'P') & (x <= 'V'));
    const Byte16 cifre = ((x >= '0') & (x <= '9')) | omocodiciQui;
    const Byte16 sbagliati = ~((maiuscole & kLettere) | (cifre & ~kLettere));
    const Byte16 omo = omocodiciQui & ~kLettere;
    std::uint64_t parti[2];
    std::uint64_t omoParti[2];
    std::memcpy(parti, &sbagliati, sizeof parti);
    std::memcpy(omoParti, &omo, sizeof omoParti);
    omocodici = (omoParti[0] | omoParti[1]) != 0 ? 1 : 0;
    if (parti[0] != 0) {
        return static_cast<unsigned>(std::countr_zero(parti[0])) / 8 + 1;
    }
    if (parti[1] != 0) {
        return static_cast<unsigned>(std::countr_zero(parti[1])) / 8 + 9;
    }
    return 0;
}

// The outcome of sixteen characters in four bytes (as GiudicaPersonale gives it, the position
// of a wrong character in the top byte), and with `chiave` the key of a right code: letters in
// base 26, digits (omocode letters read as theirs) in base 10. 26^8 * 10^7 is below 2^63, so
// numeric codes can take the top bit.
// Inlined where it is called, and never an Esame: a list judges millions, and a structure
// built and read back through memory costs more than the rules.
template <class Carattere>
[[gnu::always_inline]] inline std::uint32_t Valuta(const Carattere* c,
                                                   std::uint64_t* chiave = nullptr) {
    // Every position is looked at, without a branch, and the first wrong one is found after.
    unsigned sbagliate = 0;
    unsigned omocodici = 0;
    if constexpr (sizeof(Carattere) == 1) {
        if (const unsigned primo = PrimoSbagliato(c, omocodici); primo != 0) {
            return static_cast<std::uint32_t>(Difetto::Carattere) | primo << 24;
        }
    } else {
        for (std::size_t i = 0; i < kLunghezzaPersonale; ++i) {
            const unsigned classe = Classe(c[i]);
            sbagliate |= unsigned{(classe & kPosizioni[i]) == 0} << i;
            omocodici |= classe & (kPosizioni[i] == C ? Tabella::kOmocodice : 0);
        }
    }
    if (sbagliate != 0) {
        return static_cast<std::uint32_t>(Difetto::Carattere) |
               static_cast<std::uint32_t>(std::countr_zero(sbagliate) + 1) << 24;
    }
    // From here every character is a capital or a digit.
    const std::uint32_t omocodico = omocodici != 0 ? Giudizio::kOmocodico : 0;
    const Tabella& t = kTabellaCodice;
    if (!t.mese[c[8]]) {
        return static_cast<std::uint32_t>(Difetto::Mese) | omocodico;
    }
    // A woman's day is raised by 40.
    const int giorno = t.cifra[c[9]] * 10 + t.cifra[c[10]];
    const int delMese = giorno > 40 ? giorno - 40 : giorno;
    // The tax office's own check: the two digits of the year decide February, 00 included.
    const int anno = t.cifra[c[6]] * 10 + t.cifra[c[7]];
    const int giorni = c[8] == 'B' && anno % 4 != 0 ? 28 : kGiorniLettera[c[8] - 'A'];
    if (delMese < 1 || delMese > giorni) {
        return static_cast<std::uint32_t>(Difetto::Giorno) | omocodico;
    }
    // The check letter of the first fifteen, computed over them as typed.
    const auto atteso =
        static_cast<std::uint32_t>(u'A' + TotaleControllo(c, kLunghezzaPersonale - 1) % 26);
    if (static_cast<std::uint32_t>(c[15]) != atteso) {
        return static_cast<std::uint32_t>(Difetto::Controllo) | atteso << 8 | omocodico;
    }
    if (chiave != nullptr) {
        // Only lists, which look for duplicates, need it; each place times its weight, so that
        // the multiplications do not wait for one another as a chain would.
        std::uint64_t k = 1;
        for (std::size_t i = 0; i < kLunghezzaPersonale - 1; ++i) {
            k += kPeso[i] *
                 static_cast<std::uint64_t>(kPosizioni[i] == L ? t.pari[c[i]] : t.cifra[c[i]]);
        }
        *chiave = k;
    }
    return omocodico;
}

template <class Carattere>
[[gnu::always_inline]] inline Esame Personale(const Carattere* c, std::uint64_t* chiave = nullptr) {
    return Giudizio(Valuta(c, chiave)).InEsame();
}

// Eleven digits: the last is the check digit of the first ten (the Luhn rule).
Esame EsaminaNumerico(const char16_t* c) {
    Esame e;
    e.numerico = true;
    for (std::size_t i = 0; i < kLunghezzaNumerica; ++i) {
        if (!Cifra(c[i])) {
            e.difetto = Difetto::Carattere;
            e.posizione = static_cast<int>(i) + 1;
            return e;
        }
    }
    int totale = 0;
    for (std::size_t i = 0; i < 10; ++i) {
        const int cifra = c[i] - u'0';
        const int doppio = cifra * 2;
        totale += i % 2 == 0 ? cifra : doppio > 9 ? doppio - 9 : doppio;
    }
    const auto atteso = static_cast<char16_t>(u'0' + (10 - totale % 10) % 10);
    if (c[10] != atteso) {
        e.difetto = Difetto::Controllo;
        e.atteso = atteso;
    }
    return e;
}

// Sixteen characters as bytes, for the tables; one past 255 becomes 0, which no position takes.
bool InByte(std::u16string_view codice, unsigned char* byte) {
    if (codice.size() != kLunghezzaPersonale) {
        return false;
    }
    for (std::size_t i = 0; i < kLunghezzaPersonale; ++i) {
        byte[i] = codice[i] < 256 ? static_cast<unsigned char>(codice[i]) : 0;
    }
    return true;
}

}  // namespace

void CodiceCompatto::Aggiungi(char16_t x) {
    if (n < c.size()) {
        c[n] = MaiuscolaAscii(x);
    }
    ++n;
}

CodiceCompatto Compatta(std::u16string_view codice) {
    CodiceCompatto k;
    for (char16_t x : codice) {
        if (x != u' ') {
            k.Aggiungi(x);
        }
    }
    return k;
}

CodiceCompatto Compatta(std::string_view utf8) {
    // Any other character is wrong wherever it stands; only its position needs the decoding.
    if (std::any_of(utf8.begin(), utf8.end(), [](char b) { return (b & 0x80) != 0; })) {
        return Compatta(Utf16(utf8));
    }
    CodiceCompatto k;
    for (char b : utf8) {
        if (b != ' ') {
            k.Aggiungi(static_cast<char16_t>(b));
        }
    }
    return k;
}

Esame Esamina(const CodiceCompatto& k) {
    if (k.n == kLunghezzaPersonale) {
        return Personale(k.c.data());
    }
    // Eleven characters starting with a digit are a numeric code; any other length is no code.
    if (k.n == kLunghezzaNumerica && Cifra(k.c[0])) {
        return EsaminaNumerico(k.c.data());
    }
    Esame e;
    e.difetto = Difetto::Lunghezza;
    return e;
}

Esame Giudizio::InEsame() const {
    Esame e;
    e.difetto = Tipo();
    e.posizione = Posizione();
    if (e.difetto == Difetto::Controllo) {
        e.atteso = Atteso();
    }
    e.omocodico = Omocodico();
    return e;
}

Giudizio GiudicaPersonale(const unsigned char* codice, std::uint64_t& chiave) {
    return Giudizio(Valuta(codice, &chiave));
}

Giudizio GiudicaPersonale(const unsigned char* codice, std::uint32_t& comune, std::uint32_t& data) {
    const Giudizio giudizio(Valuta(codice));
    if (giudizio.Corretto()) {
        const Tabella& t = kTabellaCodice;
        auto cifra = [&](std::size_t i) { return static_cast<std::uint32_t>(t.cifra[codice[i]]); };
        comune = static_cast<std::uint32_t>(t.pari[codice[11]]) * 1000 + cifra(12) * 100 +
                 cifra(13) * 10 + cifra(14);
        data = (cifra(6) * 10 + cifra(7)) * 2600 +
               static_cast<std::uint32_t>(t.pari[codice[8]]) * 100 + cifra(9) * 10 + cifra(10);
    }
    return giudizio;
}

namespace {

template <class Carattere>
std::uint8_t OmocodiaDi(const Carattere* c) {
    constexpr std::size_t kCifre[] = {6, 7, 9, 10, 12, 13, 14};
    std::uint8_t m = 0;
    for (std::size_t i = 0; i < 7; ++i) {
        const auto x = static_cast<std::uint32_t>(c[kCifre[i]]);
        m = static_cast<std::uint8_t>(m | ((x < '0' || x > '9') ? 1u << i : 0u));
    }
    return m;
}

}  // namespace

std::uint8_t Omocodia(const char16_t* sedici) {
    return OmocodiaDi(sedici);
}

std::uint8_t Omocodia(const char* sedici) {
    return OmocodiaDi(sedici);
}

std::array<char16_t, 4> CatastaleDi(std::uint32_t comune) {
    return {static_cast<char16_t>(u'A' + comune / 1000),
            static_cast<char16_t>(u'0' + comune / 100 % 10),
            static_cast<char16_t>(u'0' + comune / 10 % 10),
            static_cast<char16_t>(u'0' + comune % 10)};
}

std::uint64_t Chiave(const CodiceCompatto& k, bool numerico) {
    if (!numerico) {
        std::uint64_t chiave = 0;
        Personale(k.c.data(), &chiave);
        return chiave;
    }
    std::uint64_t chiave = 0;
    for (std::size_t i = 0; i < kLunghezzaNumerica - 1; ++i) {
        chiave = chiave * 10 + static_cast<std::uint64_t>(k.c[i] - u'0');
    }
    return chiave | (std::uint64_t{1} << 63);
}

Esame EsaminaCodice(std::u16string_view codice) {
    // A code typed as sixteen capitals and digits is judged from its bytes at once; anything
    // else that stops it there (blanks, small letters) is judged again once compacted.
    unsigned char byte[kLunghezzaPersonale];
    if (InByte(codice, byte)) {
        const Esame e = Personale(byte);
        if (e.difetto != Difetto::Carattere) {
            return e;
        }
    }
    return Esamina(Compatta(codice));
}

namespace {

// Out of line, so that the common path keeps its values in registers.
[[gnu::noinline]] bool CorrettoCompattato(std::u16string_view codice) {
    return Esamina(Compatta(codice)).Corretto();
}

}  // namespace

bool CodiceCorretto(std::u16string_view codice) {
    unsigned char byte[kLunghezzaPersonale];
    if (InByte(codice, byte)) {
        const Difetto difetto = Personale(byte).difetto;
        if (difetto != Difetto::Carattere) {
            return difetto == Difetto::Nessuno;
        }
    }
    return CorrettoCompattato(codice);
}

std::u16string CodiceNormale(std::u16string_view codice) {
    std::u16string risultato;
    risultato.reserve(codice.size());
    for (char16_t x : codice) {
        if (x != u' ') {
            risultato += MaiuscolaAscii(x);
        }
    }
    return risultato;
}

std::u16string SenzaOmocodia(std::u16string codice) {
    for (std::size_t i = 0; i < codice.size() && i < kLunghezzaPersonale; ++i) {
        if (kPosizioni[i] == C && !Cifra(codice[i])) {
            const int cifra = CifraOmocodice(codice[i]);
            if (cifra >= 0) {
                codice[i] = static_cast<char16_t>(u'0' + cifra);
            }
        }
    }
    return codice;
}

}  // namespace NODREL1

namespace NODREL1 {

std::u16string Motivo(const Esame& e) {
    switch (e.difetto) {
        case Difetto::Lunghezza:
            return u"lunghezza errata";
        case Difetto::Carattere: {
            std::u16string testo = u"carattere non ammesso in posizione ";
            for (char c : std::to_string(e.posizione)) {
                testo += static_cast<char16_t>(c);
            }
            return testo;
        }
        case Difetto::Mese:
            return u"mese non valido";
        case Difetto::Giorno:
            return u"giorno non valido";
        case Difetto::Controllo:
            if (e.numerico) {
                return u"cifra di controllo errata";
            }
            return std::u16string(u"carattere di controllo errato (atteso ") +
                   e.atteso.value_or(u'?') + u")";
        case Difetto::Nessuno:
            break;
    }
    return {};
}

}  // namespace NODREL1
