#include "engine/elenco.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstring>
#include <semaphore>
#include <system_error>
#include <thread>
#include <utility>

#if __has_include(<sys/mman.h>)
#include <sys/mman.h>
#endif

#include "engine/interno.h"
#include "engine/testo.h"

namespace NODREL1 {

namespace {

// The parts of a line gathered on the stack and appended to the output at once: the output of
// a list of millions grows by one append a line, not one a part.
class Breve {
public:
    void operator+=(std::string_view t) { n_ += t.copy(b_ + n_, sizeof b_ - n_); }
    void operator+=(char c) {
        if (n_ < sizeof b_) {
            b_[n_++] = c;
        }
    }
    void Numero(std::uint64_t n) {
        n_ = static_cast<std::size_t>(std::to_chars(b_ + n_, b_ + sizeof b_, n).ptr - b_);
    }
    std::size_t size() const { return n_; }
    std::string_view Vista() const { return {b_, n_}; }
    void Svuota() { n_ = 0; }

private:
    char b_[512];  // a number, a plain code and the longest reason
    std::size_t n_ = 0;
};

// A line number in its decimal digits, counted on by one: the lines of a list come one after
// the other, and a digit carried is cheaper than a number written out.
class Contatore {
public:
    void Da(std::uint64_t n) {
        n_ = n;
        lunghezza_ = static_cast<std::size_t>(std::to_chars(cifre_, cifre_ + 20, n).ptr - cifre_);
    }
    void Avanti() {
        ++n_;
        std::size_t i = lunghezza_;
        while (i > 0 && cifre_[i - 1] == '9') {
            cifre_[--i] = '0';
        }
        if (i > 0) {
            ++cifre_[i - 1];
        } else {
            std::memmove(cifre_ + 1, cifre_, lunghezza_++);
            cifre_[0] = '1';
        }
    }
    std::uint64_t Valore() const { return n_; }
    // Writes the digits at `o`, which has room for twenty.
    char* Scrivi(char* o) const {
        std::memcpy(o, cifre_, sizeof cifre_);
        return o + lunghezza_;
    }

private:
    std::uint64_t n_ = 0;
    char cifre_[20] = {'0'};
    std::size_t lunghezza_ = 1;
};

// The same for a line known to fit its 256 bytes: no bound checked at each part, so that the
// parts of fixed length are copied in place.
class Diretta {
public:
    void operator+=(std::string_view t) {
        std::memcpy(p_, t.data(), t.size());
        p_ += t.size();
    }
    void operator+=(char c) { *p_++ = c; }
    void Numero(std::uint64_t n) { p_ = std::to_chars(p_, p_ + 20, n).ptr; }
    // The number of a line that most often follows the last one written on this thread.
    void NumeroSeguente(std::uint64_t n) {
        thread_local Contatore ultimo;
        if (n == ultimo.Valore() + 1) {
            ultimo.Avanti();
        } else {
            ultimo.Da(n);
        }
        p_ = ultimo.Scrivi(p_);
    }
    std::size_t size() const { return static_cast<std::size_t>(p_ - b_); }
    std::string_view Vista() const { return {b_, size()}; }

private:
    char b_[256];
    char* p_ = b_;
};

void AggiungiNumero(Diretta& out, std::uint64_t n) {
    out.Numero(n);
}

void AggiungiNumero(std::string& out, std::uint64_t n) {
    char cifre[20];
    const auto fine = std::to_chars(cifre, cifre + sizeof cifre, n).ptr;
    out.append(cifre, fine);
}

void AggiungiNumero(Breve& out, std::uint64_t n) {
    out.Numero(n);
}

bool Semplice(char c) {
    const auto b = static_cast<unsigned char>(c);
    return b >= 0x20 && b < 0x7F && c != '"' && c != ';';
}

// Whether all of a text is plain, eight bytes at a time: no byte below 0x20 or above 0x7E, and
// no quote or semicolon.
[[gnu::always_inline]] inline bool Semplice(std::string_view testo) {
    constexpr std::uint64_t kUno = 0x0101010101010101u;
    constexpr std::uint64_t kAlto = 0x8080808080808080u;
    auto zero = [](std::uint64_t x) { return (x - kUno) & ~x & kAlto; };
    std::size_t i = 0;
    for (; i + 8 <= testo.size(); i += 8) {
        std::uint64_t x;
        std::memcpy(&x, testo.data() + i, 8);
        const std::uint64_t sotto = (x - kUno * 0x20) & ~x & kAlto;
        const std::uint64_t sopra = ((x + kUno * (0x7F - 0x7E)) | x) & kAlto;
        if ((sotto | sopra | zero(x ^ (kUno * '"')) | zero(x ^ (kUno * ';'))) != 0) {
            return false;
        }
    }
    for (; i < testo.size(); ++i) {
        if (!Semplice(testo[i])) {
            return false;
        }
    }
    return true;
}

// A CSV field: as it is when it is plain ASCII; otherwise as valid UTF-8 without control
// characters, in quotes when it holds a quote or a separator.
void AggiungiCampo(std::string& out, std::string_view testo) {
    if (Semplice(testo)) {
        out += testo;
        return;
    }
    std::u16string t = Utf16(testo);
    bool virgolette = false;
    for (char16_t& c : t) {
        if (c < 0x20 || c == 0x7F) {
            c = 0xFFFD;
        }
        virgolette = virgolette || c == u'"' || c == u';';
    }
    if (!virgolette) {
        out += Utf8(t);
        return;
    }
    out += '"';
    for (char c : Utf8(t)) {
        out += c;
        if (c == '"') {
            out += '"';
        }
    }
    out += '"';
}

void AggiungiCampo(std::string& out, std::u16string_view testo) {
    AggiungiCampo(out, Utf8(testo));
}

template <class Uscita>
void AggiungiMotivo(Uscita& out, const VoceElenco& v) {
    const Esame& e = v.esame;
    if (!v.rifiuto.empty()) {
        out += v.rifiuto;
        return;
    }
    switch (e.difetto) {
        case Difetto::Lunghezza:
            out += "lunghezza errata";
            return;
        case Difetto::Carattere:
            out += "carattere non ammesso in posizione ";
            AggiungiNumero(out, static_cast<std::uint64_t>(e.posizione));
            return;
        case Difetto::Mese:
            out += "mese non valido";
            return;
        case Difetto::Giorno:
            out += "giorno non valido";
            return;
        case Difetto::Controllo:
            if (e.numerico) {
                out += "cifra di controllo errata";
            } else {
                out += "carattere di controllo errato (atteso ";
                out += static_cast<char>(e.atteso.value());
                out += ')';
            }
            return;
        case Difetto::Nessuno:
            break;
    }
    const std::size_t inizio = out.size();
    auto nota = [&](std::string_view testo) {
        if (out.size() > inizio) {
            out += ", ";
        }
        out += testo;
    };
    if (!v.differenze.empty()) {
        nota(v.differenze);
    }
    if (v.calcolato) {
        nota("codice calcolato");
    }
    if (e.omocodico) {
        nota("omocodico");
    }
    if (v.duplicatoDi != 0) {
        nota("duplicato della riga ");
        AggiungiNumero(out, v.duplicatoDi);
    }
    if (v.comuneSconosciuto) {
        nota("comune non in elenco");
    }
    if (v.comuneNonInVigore) {
        nota("comune non in vigore alla data di nascita");
    }
}

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
                                                              : kGiorniMese[mese - 1];
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

// The line's number and code, and what follows them, in `riga` or already in `out`.
void AggiungiRiga(std::string& out, Breve& riga, std::uint64_t numero, std::string_view codice) {
    riga.Numero(numero);
    riga += ';';
    if (codice.size() <= 64 && Semplice(codice)) {
        riga += codice;
    } else {
        out += riga.Vista();
        riga.Svuota();
        AggiungiCampo(out, codice);
    }
    riga += ';';
}

// Whether sixteen bytes are all letters or digits, at once: each byte is compared in a lane of
// its own (the compiler's vectors, SSE2 on x86-64), a byte above 0x7F being negative.
bool Alfanumerici(const char* sedici) {
    using Byte16 = signed char __attribute__((vector_size(16)));
    Byte16 x;
    std::memcpy(&x, sedici, sizeof x);
    const Byte16 minuscola = x | 0x20;
    const Byte16 buoni = ((x >= '0') & (x <= '9')) | ((minuscola >= 'a') & (minuscola <= 'z'));
    std::uint64_t parti[2];
    std::memcpy(parti, &buoni, sizeof parti);
    return (parti[0] & parti[1]) == ~std::uint64_t{0};
}

// Whether a plain line begins at `da` of `t`: sixteen letters or digits and a line end, which
// need no reading of cells. The last line of a piece is left to the full reading, which knows
// whether a line feed follows its carriage return.
bool RigaSemplice(std::string_view t, std::size_t da) {
    constexpr std::size_t n = kLunghezzaPersonale;
    return da + n + 1 < t.size() &&
           (t[da + n] == '\n' || (t[da + n] == '\r' && t[da + n + 1] == '\n')) &&
           Alfanumerici(t.data() + da);
}

// Where the line that begins at `da` of `t`, a plain one, ends.
std::size_t DopoRiga(std::string_view t, std::size_t da) {
    return da + kLunghezzaPersonale + 1 + (t[da + kLunghezzaPersonale] == '\r');
}

// The plain lines that open `t`, up to `righe` of them: where they end, and in `righe` how
// many they are.
std::size_t Semplici(std::string_view t, std::uint64_t& righe) {
    std::size_t fine = 0;
    std::uint64_t k = 0;
    for (; k < righe && RigaSemplice(t, fine); ++k) {
        fine = DopoRiga(t, fine);
    }
    righe = k;
    return fine;
}

}  // namespace

void FiltroCodici::Dimensiona(std::uint64_t codici) {
    // A word of 64 bits for every eight codes at least, so that fewer than one in a hundred
    // is marked by the bits of others.
    bit_ = 10;
    while ((std::uint64_t{1} << bit_) * 8 < codici && bit_ < 36) {
        ++bit_;
    }
    parole_.reset();
    const std::size_t byte = (std::size_t{1} << bit_) * sizeof(std::uint64_t);
#ifdef MAP_ANONYMOUS
    // Pages of the system's, nought already: each is filled in when a code first marks it, by
    // the thread that marks it, rather than all of them by this one before the reading.
    constexpr std::size_t kPagina = std::size_t{1} << 21;
    void* p =
        mmap(nullptr, byte + kPagina, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p != MAP_FAILED) {
        const auto inizio = (reinterpret_cast<std::uintptr_t>(p) + kPagina - 1) & ~(kPagina - 1);
#ifdef MADV_HUGEPAGE
        // Every code reaches a word anywhere in the filter: large pages spare the processor a
        // walk of the page tables for most of them.
        madvise(reinterpret_cast<void*>(inizio), byte, MADV_HUGEPAGE);
#endif
        parole_ = {reinterpret_cast<std::uint64_t*>(inizio), Libera{p, byte + kPagina}};
        return;
    }
#endif
    parole_ = {new std::uint64_t[byte / sizeof(std::uint64_t)](), Libera{nullptr, 0}};
}

void FiltroCodici::Libera::operator()(std::uint64_t* parole) const {
#ifdef MAP_ANONYMOUS
    if (inizio != nullptr) {
        munmap(inizio, byte);
        return;
    }
#endif
    delete[] parole;
}

std::uint64_t FiltroCodici::Impronta(const char* sedici) {
    // Bit 0x20 apart, a small letter is its capital; a digit or any other byte stays apart
    // from both.
    constexpr std::uint64_t kMaiuscole = ~0x2020202020202020u;
    std::uint64_t a, b;
    std::memcpy(&a, sedici, 8);
    std::memcpy(&b, sedici + 8, 8);
    a &= kMaiuscole;
    b &= kMaiuscole;
    std::uint64_t x = (a ^ std::rotl(b, 29)) * 0x9E3779B97F4A7C15u ^ b;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9u;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBu;
    return x ^ (x >> 31);
}

bool FiltroCodici::Segna(std::uint64_t h) {
    // The word from the top bits, six of its bits from the bottom ones: with five to eight codes
    // a word, six let through a fifth to a quarter fewer codes that came once than four did.
    std::uint64_t& parola = parole_[static_cast<std::size_t>(h >> (64 - bit_))];
    std::uint64_t bit = 0;
    for (int i = 0; i < 6; ++i) {
        bit |= std::uint64_t{1} << (h >> (6 * i) & 63);
    }
    const bool visto = (parola & bit) == bit;
    parola |= bit;
    return visto;
}

void FiltroCodici::Anticipa(std::uint64_t h) const {
    __builtin_prefetch(&parole_[static_cast<std::size_t>(h >> (64 - bit_))]);
}

namespace {

using Stato = ElencoCodici::Stato;

// A piece's print, to tell whether the second reading of a file reads what the first did:
// four lanes, so that the multiplications overlap.
std::uint64_t Impronta(std::string_view t) {
    constexpr std::uint64_t kPrimo = 0x9E3779B97F4A7C15u;
    std::uint64_t h[4] = {t.size(), 1, 2, 3};
    std::size_t i = 0;
    for (; i + 32 <= t.size(); i += 32) {
        for (std::size_t j = 0; j < 4; ++j) {
            std::uint64_t w;
            std::memcpy(&w, t.data() + i + 8 * j, 8);
            h[j] = std::rotl((h[j] ^ w) * kPrimo, 31);
        }
    }
    for (; i < t.size(); ++i) {
        h[0] = std::rotl((h[0] ^ static_cast<unsigned char>(t[i])) * kPrimo, 31);
    }
    std::uint64_t x = h[0];
    for (std::size_t j = 1; j < 4; ++j) {
        x = std::rotl((x ^ h[j]) * kPrimo, 31);
    }
    return x;
}

// Which of the seven digits of a personal code are written as letters: with the shared key, it
// tells an omocode from its base code.
template <class Carattere>
std::uint8_t Omocodia(const Carattere* c) {
    constexpr std::size_t kCifre[] = {6, 7, 9, 10, 12, 13, 14};
    std::uint8_t m = 0;
    for (std::size_t i = 0; i < 7; ++i) {
        const auto x = static_cast<std::uint32_t>(c[kCifre[i]]);
        m = static_cast<std::uint8_t>(m | ((x < '0' || x > '9') ? 1u << i : 0u));
    }
    return m;
}

constexpr char32_t kCp1252[32] = {0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x8D,   0x017D, 0x8F,
                                  0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};

// Whether the start of a file is UTF-8; a character cut by the sample's end does not count.
bool InizioUtf8(std::string_view campione, bool intero) {
    if (!intero) {
        for (std::size_t k = 1; k <= 3 && k <= campione.size(); ++k) {
            const auto b = static_cast<unsigned char>(campione[campione.size() - k]);
            if ((b & 0xC0) == 0xC0) {
                const std::size_t serve = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : 2;
                if (serve > k) {
                    campione.remove_suffix(k);
                }
                break;
            }
            if ((b & 0xC0) != 0x80) {
                break;
            }
        }
    }
    return Utf8Valido(campione);
}

// A header's name without case, blanks, dots and underscores.
std::string Nome(std::string_view cella) {
    std::string n;
    for (char c : cella) {
        if (c != ' ' && c != '.' && c != '_' && c != '\t') {
            n += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        }
    }
    return n;
}

// -1: no name the lists use; 6: the code; 0-5: the person's, as VoceElenco::persona.
int Colonna(std::string_view cella) {
    static const std::pair<std::string_view, int> kNomi[] = {
        {"codicefiscale", 6}, {"codfiscale", 6},     {"cf", 6},
        {"codice", 6},        {"cognome", 0},        {"nome", 1},
        {"sesso", 2},         {"datadinascita", 3},  {"datanascita", 3},
        {"natoil", 3},        {"luogodinascita", 4}, {"comunedinascita", 4},
        {"comune", 4},        {"provincia", 5},      {"prov", 5}};
    if (cella.size() > 24) {
        return -1;
    }
    const std::string n = Nome(cella);
    for (const auto& [nome, colonna] : kNomi) {
        if (n == nome) {
            return colonna;
        }
    }
    return -1;
}

// Where the row that starts `t` ends: the line end outside quotes (CR, LF or CR LF), npos when
// `t` does not hold it. A quote counts only where a cell begins, as spreadsheets write them.
// `stato` and `righe` carry the quotes and the line ends within them across calls; a quote left
// open longer than `massimo` bytes closes at the next line end, so that a stray quote cannot
// swallow the rest of a list.
std::size_t FineRiga(std::string_view t, char separatore, Stato& stato, std::uint64_t& righe,
                     std::size_t gia, std::size_t massimo) {
    const char* p = t.data();
    const std::size_t n = t.size();
    for (std::size_t i = 0; i < n; ++i) {
        const char c = p[i];
        const bool fine = c == '\n' || c == '\r';
        switch (stato) {
            case Stato::Dentro:
                if (c == '"') {
                    stato = Stato::Chiuso;
                } else if (fine) {
                    if (gia + i > massimo) {
                        stato = Stato::Inizio;
                        return i;
                    }
                    righe += c == '\n' || i + 1 >= n || p[i + 1] != '\n';
                }
                continue;
            case Stato::Chiuso:
                if (c == '"') {
                    stato = Stato::Dentro;
                    continue;
                }
                break;
            case Stato::Inizio:
                if (c == '"') {
                    stato = Stato::Dentro;
                    continue;
                }
                if (c == ' ') {
                    continue;
                }
                break;
            case Stato::Campo:
                break;
        }
        if (fine) {
            stato = Stato::Inizio;
            return i;
        }
        stato = c == separatore ? Stato::Inizio : Stato::Campo;
    }
    return std::string_view::npos;
}

// The separator of a list: of ; , tab |, the one found outside quotes on most of its rows.
char Separatore(std::string_view testa) {
    constexpr char kCandidati[] = {';', ',', '\t', '|'};
    std::size_t righe[4] = {};
    bool visto[4] = {};
    bool dentro = false;
    for (char c : testa) {
        if (c == '"') {
            dentro = !dentro;
        } else if (!dentro && (c == '\n' || c == '\r')) {
            for (int i = 0; i < 4; ++i) {
                righe[i] += visto[i];
                visto[i] = false;
            }
        } else if (!dentro) {
            for (int i = 0; i < 4; ++i) {
                visto[i] = visto[i] || c == kCandidati[i];
            }
        }
    }
    int migliore = -1;
    for (int i = 0; i < 4; ++i) {
        righe[i] += visto[i];
        if (righe[i] > 0 && (migliore < 0 || righe[i] > righe[migliore])) {
            migliore = i;
        }
    }
    return migliore < 0 ? 0 : kCandidati[migliore];
}

// Splits a row into its cells, without the blanks around them and the quotes of quoted ones
// (a doubled quote inside stands for one). Quoted text goes to `pulito`, which must not grow
// meanwhile: room is made for the whole row first.
void Celle(std::string_view riga, char separatore, std::string& pulito,
           std::vector<std::string_view>& celle) {
    celle.clear();
    pulito.clear();
    pulito.reserve(riga.size());
    const char* base = pulito.data();
    std::size_t i = 0;
    for (;;) {
        while (i < riga.size() && (riga[i] == ' ' || (riga[i] == '\t' && separatore != '\t'))) {
            ++i;
        }
        std::string_view cella;
        if (i < riga.size() && riga[i] == '"') {
            const std::size_t inizio = pulito.size();
            ++i;
            while (i < riga.size()) {
                if (riga[i] == '"') {
                    if (i + 1 < riga.size() && riga[i + 1] == '"') {
                        pulito += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                pulito += riga[i++];
            }
            // Text after the closing quote, which spreadsheets do not write, is kept.
            while (i < riga.size() && riga[i] != separatore) {
                pulito += riga[i++];
            }
            cella = std::string_view(base + inizio, pulito.size() - inizio);
        } else {
            const std::size_t fine =
                separatore == 0 ? std::string_view::npos : riga.find(separatore, i);
            cella = riga.substr(std::min(i, riga.size()),
                                fine == std::string_view::npos ? std::string_view::npos : fine - i);
            i = fine == std::string_view::npos ? riga.size() : fine;
        }
        while (!cella.empty() &&
               (cella.back() == ' ' || (cella.back() == '\t' && separatore != '\t'))) {
            cella.remove_suffix(1);
        }
        celle.push_back(cella);
        if (i >= riga.size() || separatore == 0) {
            break;
        }
        ++i;  // the separator
    }
}

// How much a cell looks like a code: 2 for a right one, 1 for one of a code's lengths.
int Somiglianza(std::string_view cella) {
    const CodiceCompatto k = Compatta(cella);
    if (k.n != kLunghezzaPersonale && k.n != kLunghezzaNumerica) {
        return 0;
    }
    return Esamina(k).Corretto() ? 2 : 1;
}

// A date as spreadsheets also write it, AAAA-MM-GG, in the form the rules read.
std::u16string Data(std::string_view cella) {
    if (cella.size() >= 10 && cella[4] == '-' && cella[7] == '-') {
        const std::string d = std::string(cella.substr(8, 2)) + "/" +
                              std::string(cella.substr(5, 2)) + "/" +
                              std::string(cella.substr(0, 4));
        return Utf16(d);
    }
    return Utf16(cella);
}

// Why a person cannot be composed; an empty cell (or no such column) is told as missing, not
// as wrong.
std::string_view Rifiutato(const Rifiuto& r, const Persona& p) {
    switch (r.campo) {
        case Campo::Text2:
            return "cognome mancante";
        case Campo::Text3:
            return "nome mancante";
        case Campo::Text5:
        case Campo::Text6:
            return SenzaSpaziEsterni(p.luogo).empty() ? "comune di nascita mancante"
                                                      : "comune di nascita non in elenco";
        default:
            return SenzaSpaziEsterni(p.data).empty() ? "data di nascita mancante"
                                                     : "data di nascita non valida";
    }
}

}  // namespace

ElencoCodici::ElencoCodici(ComuneNoto comuneNoto) : comuneNoto_(std::move(comuneNoto)) {}

ElencoCodici::ElencoCodici(const Registro* registro, std::chrono::year_month_day oggi)
    : oggiData_(oggi) {
    Usa(registro);
}

void ElencoCodici::Usa(const Registro* registro) {
    registro_ = registro;
    if (registro_ == nullptr) {
        return;
    }
    comuneNoto_ = [registro](std::u16string_view catastale) {
        return registro->PerCodice(catastale) != nullptr;
    };
    const std::chrono::year_month_day oggi = oggiData_;
    oggi_ = static_cast<std::uint32_t>(static_cast<int>(oggi.year()) * 10000 +
                                       static_cast<int>(static_cast<unsigned>(oggi.month())) * 100 +
                                       static_cast<int>(static_cast<unsigned>(oggi.day())));
    inizio_.assign(comuni_.size(), 0);
    anno_.assign(comuni_.size(), 0);
    quanti_.assign(comuni_.size(), 0);
}

void ElencoCodici::Arriva() {
    const std::function<const Registro*()> attesa = std::move(attesa_);
    attesa_ = nullptr;
    Usa(attesa());
}

bool ElencoCodici::InVigore(std::size_t i, std::uint64_t data) const {
    // The key's digits, from the right: day, month letter (its place in the alphabet), year.
    static constexpr std::array<std::uint8_t, 26> kMese = [] {
        std::array<std::uint8_t, 26> m{};
        for (std::size_t k = 0; k < kLettereMese.size(); ++k) {
            m[static_cast<std::size_t>(kLettereMese[k] - u'A')] = static_cast<std::uint8_t>(k + 1);
        }
        return m;
    }();
    std::uint32_t giorno = static_cast<std::uint32_t>(data % 100);
    giorno = giorno > 40 ? giorno - 40 : giorno;
    const std::uint32_t mese = kMese[static_cast<std::size_t>(data / 100 % 26)];
    const auto anno = static_cast<std::uint32_t>(data / 2600 % 100);
    if (const std::uint8_t tutto = anni_[anno_[i] + anno]; tutto != 2) {
        return tutto == 1;
    }
    const std::uint32_t resto = mese * 100 + giorno;
    const std::uint32_t giorni[2] = {(1900 + anno) * 10000 + resto, (2000 + anno) * 10000 + resto};
    const std::uint32_t* p = periodi_.data() + inizio_[i];
    for (std::size_t k = 0; k < quanti_[i]; ++k, p += 2) {
        for (std::uint32_t g : giorni) {
            if (g <= oggi_ && p[0] <= g && g <= p[1]) {
                return true;
            }
        }
    }
    return false;
}

void ElencoCodici::Prevedi(std::uint64_t byte) {
    // A code takes seventeen bytes with its newline, at the least.
    previsti_ = byte;
    if (passata_ == Passata::Prima) {
        filtro_.Dimensiona(byte / (kLunghezzaPersonale + 1));
    } else {
        visti_.Riserva(byte / (kLunghezzaPersonale + 1));
    }
}

void ElencoCodici::SecondaLettura() {
    Attendi();
    // Everything the reading learnt goes, but the codes the filter may have seen twice.
    ElencoCodici nuovo = registro_ != nullptr ? ElencoCodici(registro_, oggiData_)
                                              : ElencoCodici(std::move(comuneNoto_));
    nuovo.soloPersone_ = soloPersone_;
    nuovo.previsti_ = previsti_;
    nuovo.visti_ = std::move(visti_);
    nuovo.visti_.Chiudi();
    // A word for every code at least, two bits of it set, as the table's own.
    nuovo.bitCandidati_ = 6;
    while ((std::size_t{1} << nuovo.bitCandidati_) < impronteCandidati_.size() &&
           nuovo.bitCandidati_ < 34) {
        ++nuovo.bitCandidati_;
    }
    nuovo.candidati_.assign(std::size_t{1} << nuovo.bitCandidati_, 0);
    for (const std::uint64_t impronta : impronteCandidati_) {
        const std::uint64_t h = BitCandidato(impronta);
        nuovo.candidati_[h >> (64 - nuovo.bitCandidati_)] |=
            (std::uint64_t{1} << (h & 63)) | (std::uint64_t{1} << (h >> 6 & 63));
    }
    impronteCandidati_ = std::vector<std::uint64_t>();
    nuovo.impronte_ = std::move(impronte_);
    nuovo.passata_ = Passata::Seconda;
    nuovo.code_ = std::move(code_);
    nuovo.testo_ = std::move(testo_);
    nuovo.minimo_ = minimo_;
    nuovo.aiutante_ = std::move(aiutante_);
    nuovo.lungheDiverse_ = lungheDiverse_;
    nuovo.senzaAiutante_ = senzaAiutante_;
    *this = std::move(nuovo);
}

namespace {

// Where the tail of a plain line's outcome is among those of ElencoCodici::code_: a right code
// and its municipality (0 known or not asked, 1 not known, 2 not in force), a wrong month, a
// wrong day, a wrong check letter and the one expected.
constexpr std::size_t kCode = 10 + 2 * 26;

std::size_t DoveCoda(Difetto difetto, bool omocodico, std::size_t luogo, std::size_t atteso) {
    const std::size_t o = omocodico ? 1 : 0;
    switch (difetto) {
        case Difetto::Mese:
            return 6 + o;
        case Difetto::Giorno:
            return 8 + o;
        case Difetto::Controllo:
            return 10 + o * 26 + atteso;
        default:
            return o * 3 + luogo;
    }
}

}  // namespace

void ElencoCodici::ScriviInParallelo(std::function<void(std::string_view)> testo,
                                     std::size_t minimo) {
    testo_ = std::move(testo);
    minimo_ = std::max<std::size_t>(minimo, 2);
    // Each tail as the writer itself ends the line of such a row.
    constexpr std::string_view kPrima = "1;AAAAAAAAAAAAAAAA";
    std::vector<Coda> code(kCode);
    VoceElenco v;
    v.riga = 1;
    v.codice = kPrima.substr(2);
    v.celle = {&v.codice, 1};
    for (const Difetto d : {Difetto::Nessuno, Difetto::Mese, Difetto::Giorno, Difetto::Controllo}) {
        for (const bool omocodico : {false, true}) {
            for (std::size_t k = 0; k < (d == Difetto::Controllo ? 26u
                                         : d == Difetto::Nessuno ? 3u
                                                                 : 1u);
                 ++k) {
                v.esame = {};
                v.esame.difetto = d;
                v.esame.omocodico = omocodico;
                if (d == Difetto::Controllo) {
                    v.esame.atteso = static_cast<char16_t>(u'A' + k);
                }
                v.comuneSconosciuto = d == Difetto::Nessuno && k == 1;
                v.comuneNonInVigore = d == Difetto::Nessuno && k == 2;
                std::string riga;
                ScriviVerifica(riga, v);
                Coda& c = code[DoveCoda(d, omocodico, k, k)];
                if (!riga.starts_with(kPrima) || riga.size() - kPrima.size() > sizeof c.testo) {
                    return;
                }
                c.lunghezza = riga.size() - kPrima.size();
                std::memcpy(c.testo, riga.data() + kPrima.size(), c.lunghezza);
            }
        }
    }
    code_ = std::move(code);
}

std::uint64_t ElencoCodici::ImprontaPezzo(std::string_view pezzo) {
    return Impronta(pezzo);
}

bool ElencoCodici::Confronta(std::uint64_t impronta, bool fine) {
    switch (passata_) {
        case Passata::Unica:
            return true;
        case Passata::Prima:
            if (!fine) {
                impronte_.push_back(impronta);
            }
            return true;
        case Passata::Seconda:
            break;
    }
    if (cambiato_) {
        return false;
    }
    if (fine ? confrontati_ == impronte_.size()
             : confrontati_ < impronte_.size() && impronte_[confrontati_] == impronta) {
        ++confrontati_;
        return true;
    }
    if (totali_.codici == 0) {
        // No row handed yet: the text as it is now is read once, with the table of every code.
        passata_ = Passata::Unica;
        visti_.Svuota();
        visti_.Riserva(previsti_ / (kLunghezzaPersonale + 1));
        impronte_ = std::vector<std::uint64_t>();
        return true;
    }
    cambiato_ = true;
    return false;
}

void ElencoCodici::Segna(const Riga& r) {
    if (filtro_.Vuoto()) {
        filtro_.Dimensiona(previsti_ / (kLunghezzaPersonale + 1));
    }
    if (!r.codice || !r.voce.Corretto()) {
        return;
    }
    // Marked by the code as a plain line would give it.
    const CodiceCompatto k = Compatta(r.voce.codice);
    char sedici[kLunghezzaPersonale] = {};
    for (std::size_t i = 0; i < k.n && i < kLunghezzaPersonale; ++i) {
        sedici[i] = static_cast<char>(k.c[i]);
    }
    const std::uint64_t impronta = FiltroCodici::Impronta(sedici);
    if (filtro_.Segna(impronta)) {
        visti_.Registra(r.chiave, r.omocodia, 0);
        impronteCandidati_.push_back(impronta);
    }
}

void ElencoCodici::SegnaSemplici(std::string_view& pezzo) {
    constexpr std::size_t n = kLunghezzaPersonale;
    if (inCorso_ || saltaLF_ || !unaColonna_ || numero_ < forma_.intestazione) {
        return;
    }
    if (filtro_.Vuoto()) {
        filtro_.Dimensiona(previsti_ / (n + 1));
    }
    if (minimo_ != 0 && SegnaInParallelo(pezzo)) {
        return;
    }
    std::array<std::uint64_t, kLotto> impronte;
    std::array<const char*, kLotto> inizi;
    for (std::uint64_t righe = kLotto; righe == kLotto;) {
        // A batch is found, hashed while its bytes are at hand, and its words asked of the
        // memory at once; then marked.
        std::string_view t = pezzo.substr(0, Semplici(pezzo, righe));
        pezzo.remove_prefix(t.size());
        numero_ += righe;
        std::size_t quante = 0;
        for (; !t.empty(); ++quante) {
            inizi[quante] = t.data();
            impronte[quante] = FiltroCodici::Impronta(t.data());
            filtro_.Anticipa(impronte[quante]);
            t.remove_prefix(n + 1 + (t[n] == '\r'));
        }
        for (std::size_t i = 0; i < quante; ++i) {
            if (filtro_.Segna(impronte[i])) {
                Candidato({inizi[i], n}, impronte[i]);
            }
        }
    }
}

bool ElencoCodici::SegnaInParallelo(std::string_view& pezzo) {
    constexpr std::size_t n = kLunghezzaPersonale;
    // Where a line begins is kept in 32 bits.
    if (pezzo.size() < minimo_ * (n + 1) || pezzo.size() > UINT32_MAX || !Aiuto()) {
        return false;
    }
    if (!marcature_) {
        marcature_ = std::make_unique<std::array<Marcatura, 2>>();
    }
    // The lines are taken to be as long as the first, and the piece cut where the middle one
    // begins; the second half counts only if the first, line by line, reaches it. Once lines of
    // both lengths were met, the run is found first and cut at a line end.
    std::array<Marcatura, 2>& m = *marcature_;
    const std::size_t lunga = pezzo[n] == '\r' ? n + 2 : n + 1;
    std::size_t meta = pezzo.size() / lunga / 2 * lunga;
    m[1].limite = SIZE_MAX;
    if (lungheDiverse_) {
        std::uint64_t righe = UINT64_MAX;
        const std::size_t fine = Semplici(pezzo, righe);
        if (righe < minimo_) {
            return false;
        }
        meta = pezzo.find('\n', fine / 2) + 1;
        m[1].limite = fine - meta;
    }
    m[0].testo = pezzo;
    m[0].limite = meta;
    m[1].testo = pezzo.substr(meta);
    // Each step is done by both threads, the second's waited for however this one's ends.
    auto insieme = [this](const auto& lavoro) {
        struct Attesa {
            Aiutante* aiutante;
            ~Attesa() { aiutante->Attendi(); }
        } attesa{aiutante_.get()};
        aiutante_->Avvia([&lavoro] { lavoro(1); });
        lavoro(0);
    };
    insieme([&m](std::size_t k) { Dividi(m[k]); });
    if (m[0].fine != meta) {
        lungheDiverse_ = lungheDiverse_ || m[0].fine > meta;
        m[1].fine = 0;
        m[1].quante = {};
    }
    const std::size_t fine = m[0].fine + m[1].fine;
    if (fine == 0) {
        return false;
    }
    insieme([this](std::size_t k) { Marca(k); });
    // The table is asked for a batch of candidates' places at once.
    for (const Marcatura& x : m) {
        for (std::size_t i = 0; i < x.candidati.size(); i += kLotto) {
            const std::size_t fino = std::min(x.candidati.size(), i + kLotto);
            for (std::size_t j = i; j < fino; ++j) {
                visti_.Anticipa(x.candidati[j].chiave);
            }
            for (std::size_t j = i; j < fino; ++j) {
                const Marcatura::Candidato& c = x.candidati[j];
                visti_.Registra(c.chiave, c.omocodia, 0);
                impronteCandidati_.push_back(c.impronta);
            }
        }
    }
    for (const Marcatura& x : m) {
        numero_ += x.quante[0] + x.quante[1];
    }
    pezzo.remove_prefix(fine);
    return true;
}

void ElencoCodici::Dividi(Marcatura& m) {
    constexpr std::size_t n = kLunghezzaPersonale;
    const std::string_view t = m.testo;
    const std::size_t massimo = std::min(t.size(), m.limite) / (n + 1) + 1;
    for (std::size_t h = 0; h < 2; ++h) {
        if (m.impronte[h].size() < massimo) {
            m.impronte[h].resize(massimo);
            m.inizi[h].resize(massimo);
        }
    }
    // The plain lines, as Semplici finds them; each print is written to both lists and kept by
    // one, so that there is no branch to miss.
    std::array<std::size_t, 2> q{};
    std::size_t da = 0;
    for (; da < m.limite && RigaSemplice(t, da); da = DopoRiga(t, da)) {
        const std::uint64_t impronta = FiltroCodici::Impronta(t.data() + da);
        const auto alta = static_cast<std::size_t>(impronta >> 63);
        for (std::size_t h = 0; h < 2; ++h) {
            m.impronte[h][q[h]] = impronta;
            m.inizi[h][q[h]] = static_cast<std::uint32_t>(da);
        }
        q[0] += 1 - alta;
        q[1] += alta;
    }
    m.fine = da;
    m.quante = q;
}

void ElencoCodici::Marca(std::size_t meta) {
    // The words a little ahead are asked of the memory while these are marked.
    constexpr std::size_t kAvanti = 64;
    std::vector<Marcatura::Candidato>& candidati = (*marcature_)[meta].candidati;
    candidati.clear();
    for (const Marcatura& m : *marcature_) {
        const std::uint64_t* impronte = m.impronte[meta].data();
        const std::size_t quante = m.quante[meta];
        for (std::size_t i = 0; i < quante; ++i) {
            if (i + kAvanti < quante) {
                filtro_.Anticipa(impronte[i + kAvanti]);
            }
            if (!filtro_.Segna(impronte[i])) {
                continue;
            }
            // Judged here, so that the reading's own thread is left only the table.
            const CodiceCompatto k =
                Compatta({m.testo.data() + m.inizi[meta][i], kLunghezzaPersonale});
            const Esame e = Esamina(k);
            if (e.Corretto()) {
                candidati.push_back({impronte[i], Chiave(k, e.numerico),
                                     e.omocodico ? Omocodia(k.c.data()) : std::uint8_t{0}});
            }
        }
    }
}

bool ElencoCodici::Aiuto() {
    if (!aiutante_ && !senzaAiutante_) {
        try {
            aiutante_ = std::make_unique<Aiutante>();
        } catch (const std::system_error&) {
            senzaAiutante_ = true;  // no thread to be had: this one does both halves
        }
    }
    return aiutante_ != nullptr;
}

void ElencoCodici::Candidato(std::string_view codice, std::uint64_t impronta) {
    const CodiceCompatto k = Compatta(codice);
    const Esame e = Esamina(k);
    if (e.Corretto()) {
        visti_.Registra(Chiave(k, e.numerico), e.omocodico ? Omocodia(k.c.data()) : 0, 0);
        impronteCandidati_.push_back(impronta);
    }
}

std::uint64_t ElencoCodici::BitCandidato(std::uint64_t impronta) {
    // Other bits than those that chose the filter's word and its bits.
    return std::rotl(impronta * 0x9E3779B97F4A7C15u, 32);
}

bool ElencoCodici::ForseCandidato(std::uint64_t impronta) const {
    if (candidati_.empty()) {
        return true;
    }
    const std::uint64_t h = BitCandidato(impronta);
    const std::uint64_t bit = (std::uint64_t{1} << (h & 63)) | (std::uint64_t{1} << (h >> 6 & 63));
    return (candidati_[h >> (64 - bitCandidati_)] & bit) == bit;
}

void ElencoCodici::Anticipa(const Riga& r) const {
    if (passata_ != Passata::Prima) {
        visti_.Anticipa(r.chiave);
    }
}

bool ElencoCodici::Accogli(std::string_view pezzo, std::string_view& testo, bool fine) {
    if (codifica_ == Codifica::Ignota) {
        campione_.append(pezzo);
        if (campione_.size() < kCampione && !fine) {
            return false;
        }
        std::string_view t = campione_;
        if (t.starts_with("\xEF\xBB\xBF")) {
            codifica_ = Codifica::Utf8;
            t.remove_prefix(3);
        } else if (t.starts_with("\xFF\xFE")) {
            codifica_ = Codifica::Utf16LE;
            t.remove_prefix(2);
        } else if (t.starts_with("\xFE\xFF")) {
            codifica_ = Codifica::Utf16BE;
            t.remove_prefix(2);
        } else {
            // Text that is not UTF-8 from its start is taken as Windows writes it.
            codifica_ = InizioUtf8(t.substr(0, kCampione), fine && t.size() <= kCampione)
                            ? Codifica::Utf8
                            : Codifica::Cp1252;
        }
        if (codifica_ == Codifica::Utf8) {
            convertito_.assign(t);
        } else {
            Converti(t, convertito_);
        }
        campione_.clear();
        campione_.shrink_to_fit();
        testo = convertito_;
        return true;
    }
    if (codifica_ == Codifica::Utf8) {
        testo = pezzo;
        return true;
    }
    Converti(pezzo, convertito_);
    testo = convertito_;
    return true;
}

void ElencoCodici::Converti(std::string_view byte, std::string& out) {
    out.clear();
    if (codifica_ == Codifica::Cp1252) {
        out.reserve(byte.size());
        for (char b : byte) {
            const auto c = static_cast<unsigned char>(b);
            AggiungiUtf8(out, c >= 0x80 && c < 0xA0 ? kCp1252[c - 0x80] : c);
        }
        return;
    }
    out.reserve(byte.size() * 3 / 2);
    std::size_t i = 0;
    auto unita = [&](unsigned char a, unsigned char b) {
        const auto u =
            static_cast<char16_t>(codifica_ == Codifica::Utf16LE ? a | (b << 8) : (a << 8) | b);
        if (alta_ != 0) {
            const char16_t h = alta_;
            alta_ = 0;
            if (u >= 0xDC00 && u < 0xE000) {
                AggiungiUtf8(out, 0x10000 + ((char32_t{h} - 0xD800) << 10) + (u - 0xDC00));
                return;
            }
            AggiungiUtf8(out, 0xFFFD);
        }
        if (u >= 0xD800 && u < 0xDC00) {
            alta_ = u;
        } else {
            AggiungiUtf8(out, u >= 0xDC00 && u < 0xE000 ? 0xFFFD : u);
        }
    };
    if (dispari_ >= 0 && !byte.empty()) {
        unita(static_cast<unsigned char>(dispari_), static_cast<unsigned char>(byte[0]));
        dispari_ = -1;
        i = 1;
    }
    for (; i + 1 < byte.size(); i += 2) {
        unita(static_cast<unsigned char>(byte[i]), static_cast<unsigned char>(byte[i + 1]));
    }
    if (i < byte.size()) {
        dispari_ = static_cast<unsigned char>(byte[i]);
    }
}

bool ElencoCodici::Testa(std::string_view& testo, bool fine) {
    if (deciso_) {
        return true;
    }
    testa_.append(testo);
    const std::size_t righe =
        static_cast<std::size_t>(std::count(testa_.begin(), testa_.end(), '\n') +
                                 std::count(testa_.begin(), testa_.end(), '\r'));
    if (!fine && righe < 2 * kRigheTesta && testa_.size() < kCampione) {
        return false;
    }
    // Only the first lines judge, however many the pieces held: the outcome cannot depend on
    // how the text came.
    std::size_t fino = 0;
    for (std::size_t fini = 0; fino < testa_.size() && fino < kCampione && fini < 2 * kRigheTesta;
         ++fino) {
        fini += testa_[fino] == '\n' || testa_[fino] == '\r';
    }
    Decidi(std::string_view(testa_).substr(0, fino), fine && fino == testa_.size());
    deciso_ = true;
    convertito_ = std::move(testa_);
    testa_ = std::string();
    testo = convertito_;
    return true;
}

void ElencoCodici::Decidi(std::string_view testa, bool fine) {
    forma_.separatore = separatoreFisso_ != 0 ? separatoreFisso_ : Separatore(testa);
    std::vector<std::vector<std::string>> righe;
    std::vector<std::uint64_t> numeri;
    std::uint64_t numero = 0;
    bool saltaLF = false;
    std::string pulito;
    std::vector<std::string_view> celle;
    while (!testa.empty() && righe.size() < kRigheTesta) {
        if (saltaLF && testa.front() == '\n') {
            testa.remove_prefix(1);
        }
        saltaLF = false;
        Stato stato = Stato::Inizio;
        std::uint64_t interne = 0;
        std::size_t f = FineRiga(testa, forma_.separatore, stato, interne, 0, kRigaMassima);
        if (f == std::string_view::npos && !fine) {
            break;
        }
        const std::string_view riga = testa.substr(0, std::min(f, kRigaMassima));
        Celle(riga, forma_.separatore, pulito, celle);
        ++numero;
        if (std::any_of(celle.begin(), celle.end(), [](auto c) { return !c.empty(); })) {
            righe.emplace_back(celle.begin(), celle.end());
            numeri.push_back(numero);
        }
        numero += interne;
        if (f == std::string_view::npos) {
            break;
        }
        saltaLF = testa[f] == '\r';
        testa.remove_prefix(f + 1);
    }
    // A header: the first of these rows with a cell named as the lists name their columns.
    std::size_t colonne = 0;
    for (std::size_t r = 0; r < righe.size(); ++r) {
        colonne = std::max(colonne, righe[r].size());
        if (forma_.intestazione != 0) {
            continue;
        }
        std::array<int, 7> trovate{-1, -1, -1, -1, -1, -1, -1};
        bool nome = false;
        for (std::size_t c = 0; c < righe[r].size(); ++c) {
            const int k = Colonna(righe[r][c]);
            if (k >= 0 && trovate[static_cast<std::size_t>(k)] < 0) {
                trovate[static_cast<std::size_t>(k)] = static_cast<int>(c);
                nome = true;
            }
        }
        if (nome) {
            forma_.intestazione = numeri[r];
            forma_.colonne = righe[r];
            forma_.codice = trovate[6];
            std::copy_n(trovate.begin(), 6, forma_.persona.begin());
        }
    }
    if (forma_.intestazione == 0) {
        if (soloPersone_) {
            forma_.codice = -1;
            for (int i = 0; i < 6; ++i) {
                forma_.persona[static_cast<std::size_t>(i)] = i;
            }
        } else {
            // The column whose values look most like codes; the first on a tie.
            std::vector<int> punti(colonne, 0);
            for (const auto& riga : righe) {
                for (std::size_t c = 0; c < riga.size(); ++c) {
                    punti[c] += Somiglianza(riga[c]);
                }
            }
            forma_.codice = 0;
            for (std::size_t c = 1; c < punti.size(); ++c) {
                if (punti[c] > punti[static_cast<std::size_t>(forma_.codice)]) {
                    forma_.codice = static_cast<int>(c);
                }
            }
        }
    }
    if (soloPersone_) {
        forma_.codice = -1;
    }
    unaColonna_ = forma_.codice == 0 && !forma_.Persone();
}

void ElencoCodici::Trattieni(std::string_view parte) {
    if (resto_.size() < kRigaMassima) {
        resto_.append(parte.substr(0, kRigaMassima - resto_.size()));
    }
}

std::size_t ElencoCodici::Prepara(std::string_view& pezzo) {
    std::size_t n = 0;
    if (saltaLF_ && !pezzo.empty()) {
        saltaLF_ = false;
        if (pezzo.front() == '\n') {
            pezzo.remove_prefix(1);
        }
    }
    // Takes the line end of a row that ends at `fine`.
    auto chiudi = [this, &pezzo](std::size_t fine) {
        if (pezzo[fine] == '\r') {
            if (fine + 1 < pezzo.size()) {
                fine += pezzo[fine + 1] == '\n';
            } else {
                saltaLF_ = true;
            }
        }
        pezzo.remove_prefix(fine + 1);
    };
    if (inCorso_) {
        const std::size_t fine =
            FineRiga(pezzo, forma_.separatore, stato_, righeResto_, lungo_, kRigaMassima);
        if (fine == std::string_view::npos) {
            lungo_ += pezzo.size();
            Trattieni(pezzo);
            pezzo = {};
            return 0;
        }
        Trattieni(pezzo.substr(0, fine));
        chiudi(fine);
        inCorso_ = false;
        const std::uint64_t interne = righeResto_;
        righeResto_ = 0;
        Giudica(resto_, lotto_[0], true);
        numero_ += interne;
        resto_.clear();
        if (lotto_[0].codice && lotto_[0].voce.esame.Corretto()) {
            Anticipa(lotto_[0]);
        }
        n = 1;
    }
    const bool veloce = unaColonna_ && numero_ >= forma_.intestazione;
    while (n < kLotto) {
        Riga& r = lotto_[n];
        // The common line, sixteen characters and its end, is judged as it stands; only one
        // with a character no code may hold (a blank, a quote, a separator, lower case) needs
        // the full reading.
        if (veloce && pezzo.size() > kLunghezzaPersonale + 1 &&
            (pezzo[kLunghezzaPersonale] == '\n' ||
             (pezzo[kLunghezzaPersonale] == '\r' && pezzo[kLunghezzaPersonale + 1] == '\n'))) {
            const std::uint32_t giudizio =
                GiudicaPersonale(reinterpret_cast<const unsigned char*>(pezzo.data()), r.chiave);
            const auto difetto = static_cast<Difetto>(giudizio & 0xFF);
            if (difetto != Difetto::Carattere) {
                r.voce.esame.difetto = difetto;
                r.voce.esame.posizione = 0;
                r.voce.esame.atteso.reset();
                if (difetto == Difetto::Controllo) {
                    r.voce.esame.atteso = static_cast<char16_t>(giudizio >> 8 & 0xFF);
                }
                r.voce.esame.numerico = false;
                r.voce.esame.omocodico = (giudizio & kGiudizioOmocodico) != 0;
                ++numero_;
                r.codice = true;
                r.voce.riga = numero_;
                r.voce.codice = pezzo.substr(0, kLunghezzaPersonale);
                r.voce.celle = {&r.voce.codice, 1};
                r.voce.calcolato = false;
                r.voce.rifiuto = {};
                r.voce.nonCorrisponde = false;
                r.voce.differenze = {};
                r.omocodia = 0;
                if (r.voce.esame.Corretto()) {
                    if (r.voce.esame.omocodico) {
                        r.omocodia = Omocodia(pezzo.data());
                    }
                    Anticipa(r);
                }
                pezzo.remove_prefix(kLunghezzaPersonale + 1 + (pezzo[kLunghezzaPersonale] == '\r'));
                ++n;
                continue;
            }
        }
        Stato stato = Stato::Inizio;
        std::uint64_t interne = 0;
        const std::size_t fine =
            FineRiga(pezzo, forma_.separatore, stato, interne, 0, kRigaMassima);
        if (fine == std::string_view::npos) {
            if (!pezzo.empty()) {
                inCorso_ = true;
                lungo_ = pezzo.size();
                stato_ = stato;
                righeResto_ = interne;
                Trattieni(pezzo);
                pezzo = {};
            }
            break;
        }
        Giudica(pezzo.substr(0, fine), r, false);
        numero_ += interne;
        if (r.codice && r.voce.esame.Corretto()) {
            Anticipa(r);
        }
        chiudi(fine);
        ++n;
    }
    return n;
}

void ElencoCodici::Giudica(std::string_view riga, Riga& r, bool copia) {
    ++numero_;
    r.codice = false;
    if (riga.size() > kRigaMassima) {
        riga = riga.substr(0, kRigaMassima);
    }
    if (copia) {
        r.unito.assign(riga);
        riga = r.unito;
    }
    if (numero_ <= forma_.intestazione) {
        return;  // the header, and the titles above it
    }
    Celle(riga, forma_.separatore, r.pulito, r.celle);
    if (std::all_of(r.celle.begin(), r.celle.end(), [](auto c) { return c.empty(); })) {
        return;
    }
    GiudicaCelle(r);
}

void ElencoCodici::GiudicaCelle(Riga& r) {
    VoceElenco& v = r.voce;
    auto cella = [&r](int i) {
        return i >= 0 && static_cast<std::size_t>(i) < r.celle.size()
                   ? r.celle[static_cast<std::size_t>(i)]
                   : std::string_view();
    };
    r.codice = true;
    r.omocodia = 0;
    v.riga = numero_;
    v.celle = r.celle;
    v.calcolato = false;
    v.rifiuto = {};
    for (std::size_t i = 0; i < 6; ++i) {
        v.persona[i] = cella(forma_.persona[i]);
    }
    v.codice = cella(forma_.codice);
    if (v.codice.empty() && forma_.Persone()) {
        // A person without a code: the code is composed as the main window would.
        Attendi();
        const Persona persona = PersonaDi(v);
        const Composizione c = Componi(persona, registro_, oggiData_);
        v.calcolato = true;
        if (c.rifiuto) {
            v.rifiuto = Rifiutato(*c.rifiuto, persona);
            v.esame = Esame{};
            v.esame.difetto = Difetto::Lunghezza;
            return;
        }
        r.calcolato.clear();
        for (char16_t x : c.codice) {
            if (x != u' ') {
                r.calcolato += static_cast<char>(x);
            }
        }
        v.codice = r.calcolato;
    }
    const CodiceCompatto k = Compatta(v.codice);
    v.esame = Esamina(k);
    v.nonCorrisponde = false;
    v.differenze = {};
    if (!v.esame.Corretto()) {
        return;
    }
    r.chiave = Chiave(k, v.esame.numerico);
    if (v.esame.omocodico) {
        r.omocodia = Omocodia(k.c.data());
    }
    // A code beside its person is also compared with the code the person's data give.
    const bool confronto =
        !v.calcolato && std::all_of(forma_.persona.begin(), forma_.persona.begin() + 5,
                                    [](int c) { return c >= 0; });
    if (confronto && !v.persona[0].empty() && !v.persona[3].empty() && !v.persona[4].empty()) {
        Attendi();
        const Corrispondenza c =
            VerificaCorrispondenza(PersonaDi(v), Utf16(v.codice), registro_, oggiData_);
        if (!c.rifiuto && c.esame.Corretto() && !c.differenze.empty()) {
            r.differenze.clear();
            for (const Differenza& d : c.differenze) {
                if (!r.differenze.empty()) {
                    r.differenze += ", ";
                }
                r.differenze += Utf8(NomeGruppo(d.gruppo));
                r.differenze += ": atteso ";
                r.differenze += Utf8(d.atteso);
            }
            v.nonCorrisponde = true;
            v.differenze = r.differenze;
        }
    }
}

Persona ElencoCodici::PersonaDi(const VoceElenco& v) const {
    Persona p;
    p.cognome = Utf16(v.persona[0]);
    p.nome = Utf16(v.persona[1]);
    p.sesso = Utf16(v.persona[2].substr(0, 1));
    if (p.sesso == u"f") {
        p.sesso[0] = u'F';  // in place, which GCC 12 does not take for an overlapping copy
    }
    p.data = Data(v.persona[3]);
    p.luogo = Utf16(v.persona[4]);
    p.provincia = Utf16(v.persona[5]);
    return p;
}

bool ElencoCodici::Completa(Riga& r) {
    if (!r.codice) {
        return false;
    }
    Attendi();
    VoceElenco& v = r.voce;
    v.duplicatoDi = 0;
    v.comuneSconosciuto = false;
    v.comuneNonInVigore = false;
    ++totali_.codici;
    if (!v.Corretto()) {
        ++totali_.errati;
        return true;
    }
    if (v.nonCorrisponde) {
        ++totali_.nonCorrispondenti;
    } else {
        ++totali_.corretti;
    }
    totali_.calcolati += v.calcolato;
    v.duplicatoDi = passata_ == Passata::Seconda ? visti_.Rivedi(r.chiave, r.omocodia, v.riga)
                                                 : visti_.Registra(r.chiave, r.omocodia, v.riga);
    totali_.duplicati += v.duplicatoDi != 0;
    if (comuneNoto_ && !v.esame.numerico) {
        // The municipality is the last four digits of the key; at most one question to the
        // register for each of the 26,000 codes there can be.
        const std::uint64_t senzaCarattere = (r.chiave - 1);
        const auto i = static_cast<std::size_t>(senzaCarattere % 26000);
        if (comuni_[i] == 0) {
            Chiedi(i);
        }
        Luogo(v, i, senzaCarattere);
    }
    return true;
}

void ElencoCodici::Chiedi(std::size_t i) {
    const char16_t catastale[4] = {
        static_cast<char16_t>(u'A' + i / 1000), static_cast<char16_t>(u'0' + i / 100 % 10),
        static_cast<char16_t>(u'0' + i / 10 % 10), static_cast<char16_t>(u'0' + i % 10)};
    const std::u16string_view codice(catastale, 4);
    comuni_[i] = comuneNoto_(codice) ? 1 : -1;
    if (registro_ != nullptr) {
        inizio_[i] = static_cast<std::uint32_t>(periodi_.size());
        for (const Comune* c : registro_->TuttiPerCodice(codice)) {
            periodi_.push_back(Giorno(c->dal));
            periodi_.push_back(Giorno(c->al));
            ++quanti_[i];
        }
        const std::uint32_t* periodi = periodi_.data() + inizio_[i];
        // Then any date of birth can be read in the 1900s, when it was in force: most
        // municipalities, which need no look at their periods again.
        if (comuni_[i] == 1 && oggi_ >= 19991231 &&
            Copertura(periodi, quanti_[i], 19000101, 19991231) == 1) {
            comuni_[i] = 2;
        } else if (comuni_[i] == 1) {
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
                anni_.push_back(letture[0] == 1 || letture[1] == 1   ? 1
                                : letture[0] == 0 && letture[1] == 0 ? 0
                                                                     : 2);
            }
        }
    }
}

void ElencoCodici::Luogo(VoceElenco& v, std::size_t i, std::uint64_t senzaCarattere) const {
    v.comuneSconosciuto = comuni_[i] < 0;
    v.comuneNonInVigore =
        registro_ != nullptr && comuni_[i] == 1 && !InVigore(i, senzaCarattere / 26000);
}

void ElencoCodici::ScriviSemplici(std::string_view& pezzo) {
    if (inCorso_ || saltaLF_ || !unaColonna_ || numero_ < forma_.intestazione) {
        return;
    }
    constexpr std::size_t n = kLunghezzaPersonale;
    if (!parti_) {
        parti_ = std::make_unique<std::array<Parte, 2>>();
    }
    std::array<Parte, 2>& parti = *parti_;
    std::size_t meta = 0;
    std::uint64_t primaMeta = 0;  // the lines of the first half, when known
    bool provato = false;         // the cut is a guess, which the first half proves
    if ((comuneNoto_ && avanti_) || lungheDiverse_) {
        std::uint64_t righe = UINT64_MAX;
        const std::size_t fine = Semplici(pezzo, righe);
        if (righe < minimo_) {
            return;
        }
        // The municipalities of a run are asked before it is cut, as long as runs bring new
        // ones: a row whose municipality was never asked waits for this thread.
        std::size_t nuovi = 0;
        for (std::string_view t = pezzo.substr(0, comuneNoto_ && avanti_ ? fine : 0); !t.empty();
             t.remove_prefix(n + 1 + (t[n] == '\r'))) {
            std::uint32_t i = 0;
            std::uint32_t data = 0;
            if (static_cast<Difetto>(
                    GiudicaPersonale(reinterpret_cast<const unsigned char*>(t.data()), i, data) &
                    0xFF) == Difetto::Nessuno &&
                comuni_[i] == 0) {
                Chiedi(i);
                ++nuovi;
            }
        }
        avanti_ = avanti_ && nuovi > righe / 1024;
        // Cut in the middle at a line end. Lines all of one length tell where; otherwise it is
        // the line end past the middle byte, and the lines before it are its line feeds,
        // counted by the thread that writes the second half.
        meta = pezzo.find('\n', fine / 2) + 1;
        for (const std::size_t lunga : {n + 1, n + 2}) {
            if (fine == lunga * righe) {
                primaMeta = righe / 2;
                meta = lunga * primaMeta;
            }
        }
        parti[1].testo = pezzo.substr(meta);
        parti[1].limite = fine - meta;
    } else {
        // The lines are taken to be as long as the first, and the piece cut where the middle
        // one begins: each half finds its own plain lines, and the second counts only if the
        // first, line by line, reaches it. Once lines of both lengths were met, the run is found
        // first, as above.
        const std::size_t lunga = pezzo.size() > n && pezzo[n] == '\r' ? n + 2 : n + 1;
        if (pezzo.size() < minimo_ * lunga) {
            return;
        }
        primaMeta = pezzo.size() / lunga / 2;
        meta = primaMeta * lunga;
        provato = true;
        parti[1].testo = pezzo.substr(meta);
        parti[1].limite = SIZE_MAX;
    }
    parti[0].testo = pezzo;
    parti[0].limite = meta;
    parti[0].prima = numero_;
    auto seconda = [this, &parti, primaMeta, prima = pezzo.substr(0, meta)] {
        parti[1].prima = numero_ + (primaMeta != 0 ? primaMeta
                                                   : static_cast<std::uint64_t>(std::count(
                                                         prima.begin(), prima.end(), '\n')));
        ScriviParte(parti[1]);
    };
    Aiuto();
    {
        // The other half is waited for however this one ends.
        struct Attesa {
            Aiutante* aiutante;
            ~Attesa() {
                if (aiutante != nullptr) {
                    aiutante->Attendi();
                }
            }
        } attesa{aiutante_.get()};
        if (aiutante_) {
            aiutante_->Avvia(seconda);
        } else {
            seconda();
        }
        ScriviParte(parti[0]);
    }
    const bool entrambe =
        parti[0].fine == meta && (!provato || parti[0].righe == primaMeta) && meta > 0;
    lungheDiverse_ = lungheDiverse_ || (!entrambe && parti[0].fine >= meta);
    if (parti[0].righe == 0) {
        return;  // not a plain line: the full reading's
    }
    const std::uint64_t dopo = numero_ + parti[0].righe + (entrambe ? parti[1].righe : 0);
    Consegna(parti[0]);
    if (entrambe) {
        Consegna(parti[1]);
    }
    numero_ = dopo;
    pezzo.remove_prefix(parti[0].fine + (entrambe ? parti[1].fine : 0));
}

namespace {

// Waits for `s` a little before sleeping on it: the other thread's step mostly ends within tens
// of microseconds, and a processor woken from sleep (a virtual one above all) takes longer.
void Prendi(std::binary_semaphore& s) {
    const auto fino = std::chrono::steady_clock::now() + std::chrono::microseconds(50);
    do {
        for (int i = 0; i < 64; ++i) {
            if (s.try_acquire()) {
                return;
            }
#if defined(__x86_64__) || defined(__i386__)
            __builtin_ia32_pause();
#endif
        }
    } while (std::chrono::steady_clock::now() < fino);
    s.acquire();
}

}  // namespace

ElencoCodici::Aiutante::Aiutante()
    : filo_([this](std::stop_token fine) {
          for (;;) {
              Prendi(pronto_);
              if (fine.stop_requested()) {
                  return;
              }
              lavoro_();
              fatto_.release();
          }
      }) {}

ElencoCodici::Aiutante::~Aiutante() {
    filo_.request_stop();
    pronto_.release();
}

void ElencoCodici::Aiutante::Avvia(std::function<void()> lavoro) {
    lavoro_ = std::move(lavoro);
    pronto_.release();
}

void ElencoCodici::Aiutante::Attendi() {
    Prendi(fatto_);
}

void ElencoCodici::ScriviParte(Parte& p) const {
    constexpr std::size_t n = kLunghezzaPersonale;
    const std::string_view t = p.testo;
    // A line takes at most twenty digits, a semicolon, the code and a tail, the last copied
    // whole.
    constexpr std::size_t kRiga = 20 + 1 + n + sizeof(Coda::testo);
    const std::size_t serve = (std::min(t.size(), p.limite) / (n + 1) + 1) * kRiga;
    if (p.capienza < serve) {
        p.spazio = std::make_unique_for_overwrite<char[]>(serve);
        p.capienza = serve;
    }
    p.rinviate.clear();
    p.totali = {};
    p.righe = 0;
    char* const inizio = p.spazio.get();
    char* o = inizio;
    Contatore numero;
    numero.Da(p.prima);
    std::array<std::uint64_t, kLotto> impronte;
    std::array<std::size_t, kLotto> inizi;
    std::size_t da = 0;
    for (std::size_t quante = kLotto; quante == kLotto;) {
        // A batch of plain lines, as Semplici finds them; their prints first, and their words
        // of the bitmap asked of the memory at once.
        quante = 0;
        for (; quante < kLotto && da < p.limite && RigaSemplice(t, da);
             ++quante, da = DopoRiga(t, da)) {
            inizi[quante] = da;
            impronte[quante] = FiltroCodici::Impronta(t.data() + da);
            if (!candidati_.empty()) {
                __builtin_prefetch(
                    &candidati_[BitCandidato(impronte[quante]) >> (64 - bitCandidati_)]);
            }
        }
        for (std::size_t k = 0; k < quante; ++k) {
            const char* const riga = t.data() + inizi[k];
            numero.Avanti();
            ++p.righe;
            // Left to the reading's own thread: a code that may have come before, or what the
            // full reading must judge, or a municipality not yet asked.
            std::uint32_t i = 0;
            std::uint32_t data = 0;
            const std::uint32_t giudizio =
                ForseCandidato(impronte[k])
                    ? static_cast<std::uint32_t>(Difetto::Carattere)
                    : GiudicaPersonale(reinterpret_cast<const unsigned char*>(riga), i, data);
            const auto difetto = static_cast<Difetto>(giudizio & 0xFF);
            if (difetto == Difetto::Carattere ||
                (difetto == Difetto::Nessuno && comuneNoto_ && comuni_[i] == 0)) {
                p.rinviate.push_back({static_cast<std::size_t>(o - inizio), riga, numero.Valore()});
                continue;
            }
            if (difetto == Difetto::Nessuno) {
                ++p.totali.corretti;
            } else {
                ++p.totali.errati;
            }
            o = ScriviCoda(numero.Scrivi(o), riga, giudizio,
                           difetto == Difetto::Nessuno ? i : kNessuno, data);
        }
    }
    p.fine = da;
    p.totali.codici = p.totali.corretti + p.totali.errati;
    p.uscita = {inizio, static_cast<std::size_t>(o - inizio)};
}

char* ElencoCodici::ScriviCoda(char* o, const char* codice, std::uint32_t giudizio, std::size_t i,
                               std::uint64_t data) const {
    std::size_t luogo = 0;
    if (i != kNessuno && comuneNoto_) {
        luogo = comuni_[i] < 0                                                  ? 1
                : registro_ != nullptr && comuni_[i] == 1 && !InVigore(i, data) ? 2
                                                                                : 0;
    }
    const Coda& c =
        code_[DoveCoda(static_cast<Difetto>(giudizio & 0xFF), (giudizio & kGiudizioOmocodico) != 0,
                       luogo, (giudizio >> 8 & 0xFF) - 'A')];
    *o++ = ';';
    std::memcpy(o, codice, kLunghezzaPersonale);
    o += kLunghezzaPersonale;
    std::memcpy(o, c.testo, sizeof c.testo);
    return o + c.lunghezza;
}

bool ElencoCodici::ScriviRinviata(const Parte::Rinviata& r) {
    const auto* c = reinterpret_cast<const unsigned char*>(r.riga);
    std::uint64_t chiave = 0;
    const std::uint32_t giudizio = GiudicaPersonale(c, chiave);
    const auto difetto = static_cast<Difetto>(giudizio & 0xFF);
    if (difetto == Difetto::Carattere) {
        return false;
    }
    std::size_t i = kNessuno;
    if (difetto == Difetto::Nessuno) {
        // The table last, as nothing after it may send the row to the full reading: a code met
        // for the first time is recorded on this line.
        const std::uint8_t omocodia = (giudizio & kGiudizioOmocodico) != 0 ? Omocodia(c) : 0;
        if (visti_.Rivedi(chiave, omocodia, r.numero) != 0) {
            return false;
        }
        ++totali_.corretti;
        i = static_cast<std::size_t>((chiave - 1) % 26000);
        if (comuneNoto_ && comuni_[i] == 0) {
            Chiedi(i);
        }
    } else {
        ++totali_.errati;
    }
    ++totali_.codici;
    Contatore numero;
    numero.Da(r.numero);
    rinviata_.resize(20 + 1 + kLunghezzaPersonale + sizeof(Coda::testo));
    rinviata_.resize(static_cast<std::size_t>(
        ScriviCoda(numero.Scrivi(rinviata_.data()), r.riga, giudizio, i, (chiave - 1) / 26000) -
        rinviata_.data()));
    testo_(rinviata_);
    return true;
}

void ElencoCodici::Consegna(Parte& p) {
    constexpr std::size_t n = kLunghezzaPersonale;
    std::size_t da = 0;
    for (const Parte::Rinviata& r : p.rinviate) {
        testo_(p.uscita.substr(da, r.posizione - da));
        da = r.posizione;
        // Most of them need no full reading: a code the filter took for another, or the first
        // of one seen again.
        if (ScriviRinviata(r)) {
            continue;
        }
        numero_ = r.numero - 1;
        Riga& riga = lotto_[0];
        Giudica(std::string_view(r.riga, n), riga, false);
        if (Completa(riga)) {
            rinviata_.clear();
            ScriviVerifica(rinviata_, riga.voce);
            testo_(rinviata_);
        }
    }
    testo_(p.uscita.substr(da));
    totali_.codici += p.totali.codici;
    totali_.corretti += p.totali.corretti;
    totali_.errati += p.totali.errati;
}

std::string Motivo(const VoceElenco& voce) {
    std::string motivo;
    AggiungiMotivo(motivo, voce);
    return motivo;
}

void ScriviCampo(std::string& out, std::string_view testo) {
    AggiungiCampo(out, testo);
}

std::string_view Esito(const VoceElenco& voce) {
    return !voce.Corretto() ? "ERRATO" : voce.nonCorrisponde ? "NON CORRISPONDE" : "CORRETTO";
}

void ScriviVerifica(std::string& out, const VoceElenco& voce) {
    // Most lines of a list: a plain code and a reason of the program's own, which fit.
    if (voce.codice.size() == kLunghezzaPersonale && voce.rifiuto.empty() &&
        voce.differenze.empty() && Semplice(voce.codice)) {
        Diretta riga;
        riga.NumeroSeguente(voce.riga);
        riga += ';';
        riga += voce.codice.substr(0, kLunghezzaPersonale);
        riga += ';';
        riga += Esito(voce);
        riga += ';';
        AggiungiMotivo(riga, voce);
        riga += '\n';
        out += riga.Vista();
        return;
    }
    Breve riga;
    AggiungiRiga(out, riga, voce.riga, voce.codice);
    riga += Esito(voce);
    riga += ';';
    AggiungiMotivo(riga, voce);
    riga += '\n';
    out += riga.Vista();
}

void ScriviVerifica(std::string& out, std::uint64_t numero, std::string_view codice,
                    std::string_view esito, std::string_view motivo) {
    Breve riga;
    AggiungiRiga(out, riga, numero, codice);
    out += riga.Vista();
    out += esito;
    out += ';';
    AggiungiCampo(out, motivo);
    out += '\n';
}

void ScriviComponi(std::string& out, const VoceElenco& voce) {
    AggiungiNumero(out, voce.riga);
    for (std::string_view campo : voce.persona) {
        out += ';';
        AggiungiCampo(out, campo);
    }
    out += ';';
    if (voce.Corretto()) {
        AggiungiCampo(out, voce.codice);
    } else {
        AggiungiCampo(out, Motivo(voce));
    }
    out += '\n';
}

void ScriviDecodifica(std::string& out, const VoceElenco& voce, const DatiCodice* dati,
                      std::u16string_view comune, std::u16string_view provincia) {
    Breve riga;
    AggiungiRiga(out, riga, voce.riga, voce.codice);
    out += riga.Vista();
    if (dati != nullptr) {
        AggiungiCampo(out, dati->cognome);
        out += ';';
        AggiungiCampo(out, dati->nome);
        out += dati->donna ? ";F;" : ";M;";
        AggiungiCampo(out, dati->data);
        out += ';';
        AggiungiCampo(out, comune);
        out += ';';
        AggiungiCampo(out, provincia);
        out += ';';
        AggiungiCampo(out, dati->catastale);
    } else {
        out += ";;;;;;";
    }
    out += '\n';
}

std::string TestoRiepilogo(const Riepilogo& r) {
    std::string testo;
    auto conta = [&testo](std::uint64_t n, std::string_view uno, std::string_view molti) {
        AggiungiNumero(testo, n);
        testo += ' ';
        testo += n == 1 ? uno : molti;
    };
    conta(r.codici, "codice", "codici");
    const char* prima = ": ";
    auto parte = [&](std::uint64_t n, std::string_view uno, std::string_view molti) {
        if (n != 0) {
            testo += prima;
            prima = ", ";
            conta(n, uno, molti);
        }
    };
    parte(r.corretti, "corretto", "corretti");
    parte(r.errati, "errato", "errati");
    parte(r.nonCorrispondenti, "non corrispondente", "non corrispondenti");
    parte(r.duplicati, "duplicato", "duplicati");
    parte(r.calcolati, "calcolato", "calcolati");
    return testo;
}

}  // namespace NODREL1
