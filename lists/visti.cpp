#include "lists/visti.h"

#include "lists/bit.h"

#include <algorithm>
#include <bit>
#include <cstring>

// A pipe cannot be read twice, so it records every right code of its list: tens of millions for
// a whole population. The table is built to keep that near ten bytes a code, growth included:
//
// - A key is numbered below 2^61 and mixed there one to one, so the bits of the hash that choose
//   a code's segment and bucket are not kept beside it: a place holds the rest of the hash (48
//   bits to 32, the more buckets the fewer; the first eight in a row of tags that a word compares
//   at once), the line, and a bit for which of its two buckets it is in.
// - A code goes to the emptier of two buckets, which keeps them nearly even up to 90 % full; when
//   both are full one of their codes moves to its other bucket, and only when none can does the
//   new one wait in a short list of its segment, marked in its first bucket.
// - It grows a segment at a time, by one place a bucket (8 to 15), then twice the buckets of 8:
//   no step adds more than an eighth, so the table stays from 80 to 90 % full, and no second
//   table lives beside it while it grows. A large segment has its own pages, which go back to
//   the system when it is rebuilt.
// - A line takes the bits the list's lines need so far, from 24, widened a segment at a time.
//   Omocodes, rare in real lists, have a table of their own, so a plain code keeps no bits for
//   which of its digits are letters.

namespace nodrel {

namespace {

constexpr std::uint64_t kBit61 = (std::uint64_t{1} << 61) - 1;
constexpr std::uint64_t kPersonali = 2088270645760000000u;  // 26^8 * 10^7 keys, from 1
constexpr std::uint64_t kNumerici = 10000000000u;           // ten digits, the top bit set

constexpr std::uint64_t Inverso(std::uint64_t a) {
    std::uint64_t x = a;
    for (int i = 0; i < 6; ++i) {
        x *= 2 - a * x;
    }
    return x;
}
constexpr std::uint64_t kA = 0x1C69B3F74AC4AE35u & kBit61;
constexpr std::uint64_t kB = 0x0BF58476D1CE4E5Bu & kBit61;
static_assert((kA & kB & 1) == 1 && ((kA * Inverso(kA)) & kBit61) == 1);

// A right code's key as a number below kPersonali + kNumerici < 2^61; false for a key that
// no right code gives.
bool Numero(std::uint64_t chiave, std::uint64_t& x) {
    if (chiave >> 63 != 0) {
        x = chiave & ~(std::uint64_t{1} << 63);
        if (x >= kNumerici) {
            return false;
        }
        x += kPersonali;
        return true;
    }
    if (chiave == 0 || chiave > kPersonali) {
        return false;
    }
    x = chiave - 1;
    return true;
}

std::uint64_t DaNumero(std::uint64_t x) {
    return x < kPersonali ? x + 1 : (x - kPersonali) | std::uint64_t{1} << 63;
}

// One to one on 61 bits: odd multipliers, and shifts of more than half the width.
std::uint64_t Mescola(std::uint64_t x) {
    x = x * kA & kBit61;
    x ^= x >> 31;
    x = x * kB & kBit61;
    return x ^ (x >> 31);
}

std::uint64_t Districa(std::uint64_t h) {
    h ^= h >> 31;
    h = h * Inverso(kB) & kBit61;
    h ^= h >> 31;
    return h * Inverso(kA) & kBit61;
}

constexpr unsigned kBitEtichetta = 8;
// A bucket's first byte: how many codes it holds, and whether one of its own is in the list.
constexpr unsigned kBitQuanti = 4;
constexpr std::uint64_t kQuanti = 0x0F;
constexpr std::uint64_t kRiposto = 0x10;
constexpr int kPostiMinimi = 8;
constexpr int kPostiMassimi = 15;
// The second bucket comes from the lowest 32 bits of the hash, which a place keeps while a
// segment has at most 2^19 buckets (some 7.8 million codes): past them the list takes the rest.
constexpr int kBetaMassimo = 19;
constexpr int kBitRigaMinimi = 24;
constexpr int kBetaIniziale = 3;

void Successivo(int& beta, int& posti) {
    if (posti < kPostiMassimi) {
        ++posti;
    } else if (beta < kBetaMassimo) {
        ++beta;
        posti = kPostiMinimi;
    }
}

// The bits a segment's lines need once `riga` is among them: four more at a time, so that a
// list's growing lines widen each segment seldom.
int BitRiga(int attuali, std::uint64_t riga) {
    const int servono = std::bit_width(riga);
    if (attuali == 0) {
        return std::max(kBitRigaMinimi, servono);
    }
    return servono <= attuali ? attuali : std::min(64, std::max(attuali + 4, servono));
}

// The second bucket of a code, as the distance from its first: from bits it keeps, so that
// either bucket tells the other, and the same bits whatever the buckets, so that when they
// double each code's two buckets are halves of its two buckets before.
std::uint64_t Distanze(std::uint64_t impronta) {
    return Basso(impronta, 32) * 0x9E3779B97F4A7C15u;
}

std::uint64_t Altro(std::uint64_t impronta, int beta) {
    return beta == 0 ? 0 : Distanze(impronta) >> (64 - beta);
}

}  // namespace

bool CodiciVisti::Prima(const Riposto& a, const Riposto& b) {
    return a.interno != b.interno ? a.interno < b.interno : a.segno < b.segno;
}

struct CodiciVisti::Tavola::Forma {
    unsigned resto;        // bits of the hash a place keeps besides its tag
    unsigned chiave;       // those, the omocode letters and which of its buckets
    unsigned posto;        // those and the line
    std::uint64_t inizio;  // where the places begin in a bucket, after its byte and tags
    std::uint64_t passo;   // a bucket's bits, whole bytes
    std::uint64_t secchi;  // how many buckets
};

CodiciVisti::Tavola::Forma CodiciVisti::Tavola::FormaDi(const Segmento& s) const {
    Forma f;
    f.resto = kBitInterni - s.beta - kBitEtichetta;
    f.chiave = f.resto + bitSegno_ + 1;
    f.posto = f.chiave + s.bitRiga;
    f.inizio = 8 + std::uint64_t{kBitEtichetta} * s.posti;
    f.passo = (f.inizio + std::uint64_t{s.posti} * f.posto + 7) / 8 * 8;
    f.secchi = std::uint64_t{1} << s.beta;
    return f;
}

bool CodiciVisti::Tavola::Trova(Segmento& s, std::uint64_t interno, std::uint8_t segno,
                                Posto& p) const {
    if (s.posti == 0) {
        return false;
    }
    const Forma f = FormaDi(s);
    const unsigned bitImpronta = kBitInterni - s.beta;
    const std::uint64_t casa = interno >> bitImpronta;
    const std::uint64_t impronta = Basso(interno, bitImpronta);
    const std::uint64_t etichetta = Basso(impronta, kBitEtichetta);
    const std::uint64_t chiave = impronta >> kBitEtichetta | std::uint64_t{segno} << f.resto;
    const std::uint64_t* w = s.bit.data();
    auto cerca = [&](std::uint64_t b, std::uint64_t cercata) {
        const std::uint64_t base = b * f.passo;
        for (std::uint64_t simili = Etichette(w, base + 8, Leggi(w, base, kBitQuanti), etichetta);
             simili != 0; simili &= simili - 1) {
            const auto j = static_cast<unsigned>(std::countr_zero(simili));
            if (Leggi(w, base + f.inizio + j * f.posto, f.chiave) == cercata) {
                p = {b, j, nullptr};
                return true;
            }
        }
        return false;
    };
    const std::uint64_t altro = casa ^ Altro(impronta, s.beta);
    if (cerca(casa, chiave) ||
        (altro != casa && cerca(altro, chiave | std::uint64_t{1} << (f.resto + bitSegno_)))) {
        return true;
    }
    if ((Leggi(w, casa * f.passo, 8) & kRiposto) != 0) {
        const auto r =
            std::lower_bound(s.riposti.begin(), s.riposti.end(), Riposto{interno, 0, segno}, Prima);
        if (r != s.riposti.end() && r->interno == interno && r->segno == segno) {
            p = {0, 0, &*r};
            return true;
        }
    }
    return false;
}

bool CodiciVisti::Tavola::Sposta(Segmento& s, const Forma& f, std::uint64_t b,
                                 std::uint64_t& quanti) const {
    std::uint64_t* w = s.bit.data();
    const std::uint64_t base = b * f.passo;
    for (std::uint64_t j = 0; j < s.posti; ++j) {
        const std::uint64_t posto = base + f.inizio + j * f.posto;
        const std::uint64_t k = Leggi(w, posto, f.chiave);
        const std::uint64_t etichetta = Leggi(w, base + 8 + kBitEtichetta * j, kBitEtichetta);
        const std::uint64_t o = b ^ Altro(Basso(k, f.resto) << kBitEtichetta | etichetta, s.beta);
        const std::uint64_t baseAltro = o * f.passo;
        const std::uint64_t testa = Leggi(w, baseAltro, 8);
        if (o == b || (testa & kQuanti) >= s.posti) {
            continue;
        }
        // The code goes to its other bucket, which it now lies in instead; the last of this
        // bucket takes its place.
        const std::uint64_t riga = Leggi(w, posto + f.chiave, s.bitRiga);
        const std::uint64_t dove = baseAltro + f.inizio + (testa & kQuanti) * f.posto;
        Scrivi(w, baseAltro, 8, testa + 1);
        Scrivi(w, baseAltro + 8 + kBitEtichetta * (testa & kQuanti), kBitEtichetta, etichetta);
        Scrivi(w, dove, f.chiave, k ^ std::uint64_t{1} << (f.resto + bitSegno_));
        Scrivi(w, dove + f.chiave, s.bitRiga, riga);
        const std::uint64_t ultimo = s.posti - 1;
        if (j != ultimo) {
            const std::uint64_t da = base + f.inizio + ultimo * f.posto;
            Scrivi(w, base + 8 + kBitEtichetta * j, kBitEtichetta,
                   Leggi(w, base + 8 + kBitEtichetta * ultimo, kBitEtichetta));
            Scrivi(w, posto, f.chiave, Leggi(w, da, f.chiave));
            Scrivi(w, posto + f.chiave, s.bitRiga, Leggi(w, da + f.chiave, s.bitRiga));
        }
        Scrivi(w, base, 8, Leggi(w, base, 8) - 1);
        quanti = ultimo;
        return true;
    }
    return false;
}

void CodiciVisti::Tavola::Metti(Segmento& s, std::uint64_t interno, std::uint8_t segno,
                                std::uint64_t riga) const {
    const Forma f = FormaDi(s);
    const unsigned bitImpronta = kBitInterni - s.beta;
    const std::uint64_t casa = interno >> bitImpronta;
    const std::uint64_t impronta = Basso(interno, bitImpronta);
    const std::uint64_t altro = casa ^ Altro(impronta, s.beta);
    std::uint64_t* w = s.bit.data();
    const std::uint64_t n = Leggi(w, casa * f.passo, kBitQuanti);
    const std::uint64_t m = altro != casa ? Leggi(w, altro * f.passo, kBitQuanti) : s.posti;
    std::uint64_t b = casa;
    std::uint64_t quanti = n;
    if (n >= s.posti || m < n) {
        b = altro;
        quanti = m;
    }
    if (quanti >= s.posti && !Sposta(s, f, b = casa, quanti) && !Sposta(s, f, b = altro, quanti)) {
        // Both full, and none of their codes has room in its other bucket: the list.
        const Riposto r{interno, riga, segno};
        s.riposti.insert(std::lower_bound(s.riposti.begin(), s.riposti.end(), r, Prima), r);
        Scrivi(w, casa * f.passo, 8, Leggi(w, casa * f.passo, 8) | kRiposto);
        return;
    }
    const std::uint64_t scelta = b == casa ? 0 : 1;
    const std::uint64_t base = b * f.passo;
    Scrivi(w, base, 8, Leggi(w, base, 8) + 1);
    Scrivi(w, base + 8 + kBitEtichetta * quanti, kBitEtichetta, Basso(impronta, kBitEtichetta));
    const std::uint64_t posto = base + f.inizio + quanti * f.posto;
    Scrivi(w, posto, f.chiave,
           impronta >> kBitEtichetta | std::uint64_t{segno} << f.resto |
               scelta << (f.resto + bitSegno_));
    Scrivi(w, posto + f.chiave, s.bitRiga, riga);
    ++s.usati;
}

std::uint64_t CodiciVisti::Tavola::LeggiRiga(const Segmento& s, const Posto& p) const {
    if (p.riposto != nullptr) {
        return p.riposto->riga;
    }
    const Forma f = FormaDi(s);
    return Leggi(s.bit.data(), p.secchio * f.passo + f.inizio + p.indice * f.posto + f.chiave,
                 s.bitRiga);
}

void CodiciVisti::Tavola::ScriviRiga(Segmento& s, const Posto& p, std::uint64_t riga) const {
    if (p.riposto != nullptr) {
        p.riposto->riga = riga;
        return;
    }
    const Forma f = FormaDi(s);
    Scrivi(s.bit.data(), p.secchio * f.passo + f.inizio + p.indice * f.posto + f.chiave, s.bitRiga,
           riga);
}

void CodiciVisti::Tavola::Cresci(Segmento& s, int beta, int posti, int bitRiga) const {
    Segmento nuovo;
    nuovo.beta = static_cast<std::uint8_t>(beta);
    nuovo.posti = static_cast<std::uint8_t>(posti);
    nuovo.bitRiga = static_cast<std::uint8_t>(bitRiga);
    const Forma n = FormaDi(nuovo);
    const auto parole = static_cast<std::size_t>((n.passo * n.secchi + 63) / 64);
    const bool stessi = s.posti != 0 && nuovo.beta == s.beta && nuovo.bitRiga == s.bitRiga &&
                        nuovo.posti >= s.posti;
    if (std::endian::native == std::endian::little) {
        if (stessi && parole <= s.bit.Capienza()) {
            // Only room added to each bucket, and the words are there: every bucket moves up
            // where it is, the last first, its places before its byte and tags. Buckets begin on
            // a byte, and so do their places; what lies past a bucket's codes is never read.
            const Forma v = FormaDi(s);
            auto* w = reinterpret_cast<unsigned char*>(s.bit.data());
            for (std::uint64_t b = v.secchi; b-- > 0;) {
                unsigned char* da = w + b * v.passo / 8;
                unsigned char* a = w + b * n.passo / 8;
                const std::uint64_t quanti = da[0] & kQuanti;
                InAlto(a + n.inizio / 8, da + v.inizio / 8, (quanti * v.posto + 7) / 8);
                InAlto(a, da, 1 + quanti);
            }
            s.posti = nuovo.posti;
            return;
        }
    }
    // Room to grow in place up to the last step before the buckets double.
    Segmento largo;
    largo.beta = nuovo.beta;
    largo.posti = kPostiMassimi;
    largo.bitRiga = nuovo.bitRiga;
    const Forma l = FormaDi(largo);
    nuovo.bit = Parole(parole, static_cast<std::size_t>((l.passo * l.secchi + 63) / 64));
    if (s.posti == 0) {
        s = std::move(nuovo);
        return;
    }
    const Forma v = FormaDi(s);
    const std::uint64_t* da = s.bit.data();
    std::uint64_t* a = nuovo.bit.data();
    if (stessi) {
        for (std::uint64_t b = 0; b < v.secchi; ++b) {
            const std::uint64_t quanti = Leggi(da, b * v.passo, kBitQuanti);
            if (std::endian::native == std::endian::little) {
                const auto* sorgente = reinterpret_cast<const unsigned char*>(da) + b * v.passo / 8;
                auto* meta = reinterpret_cast<unsigned char*>(a) + b * n.passo / 8;
                std::memcpy(meta, sorgente, 1 + quanti);
                std::memcpy(meta + n.inizio / 8, sorgente + v.inizio / 8,
                            (quanti * v.posto + 7) / 8);
            } else {
                CopiaBit(a, b * n.passo, da, b * v.passo, 8 + kBitEtichetta * quanti);
                CopiaBit(a, b * n.passo + n.inizio, da, b * v.passo + v.inizio, quanti * v.posto);
            }
        }
        nuovo.usati = s.usati;
        nuovo.riposti = std::move(s.riposti);
        s = std::move(nuovo);
        return;
    }
    const unsigned bitImpronta = kBitInterni - s.beta;
    // When the buckets double, a code goes to a half of the bucket it is in, in order; the few
    // that find that half full are placed afresh after.
    const bool meta = nuovo.beta == s.beta + 1 && nuovo.bitRiga == s.bitRiga;
    std::vector<Riposto> dopo;
    for (std::uint64_t b = 0; b < v.secchi; ++b) {
        const std::uint64_t base = b * v.passo;
        const std::uint64_t quanti = Leggi(da, base, kBitQuanti);
        std::uint64_t figli[2] = {0, 0};  // the codes of halves 2b and 2b + 1 so far
        for (std::uint64_t j = 0; j < quanti; ++j) {
            const std::uint64_t posto = base + v.inizio + j * v.posto;
            const std::uint64_t k = Leggi(da, posto, v.chiave);
            const std::uint64_t etichetta = Leggi(da, base + 8 + kBitEtichetta * j, kBitEtichetta);
            const std::uint64_t impronta = Basso(k, v.resto) << kBitEtichetta | etichetta;
            const std::uint64_t scelta = k >> (v.resto + bitSegno_);
            const auto segno = static_cast<std::uint8_t>(Basso(k >> v.resto, bitSegno_));
            const std::uint64_t riga = Leggi(da, posto + v.chiave, s.bitRiga);
            if (meta) {
                const std::uint64_t alto = impronta >> (bitImpronta - 1);
                const std::uint64_t x =
                    scelta != 0 ? alto ^ (Distanze(impronta) >> (63 - s.beta) & 1) : alto;
                if (const std::uint64_t ci = figli[x]; ci < nuovo.posti) {
                    const std::uint64_t baseNuova = (2 * b + x) * n.passo;
                    const std::uint64_t dove = baseNuova + n.inizio + ci * n.posto;
                    Scrivi(a, baseNuova + 8 + kBitEtichetta * ci, kBitEtichetta, etichetta);
                    Scrivi(a, dove, n.chiave,
                           Basso(impronta, bitImpronta - 1) >> kBitEtichetta |
                               std::uint64_t{segno} << n.resto | scelta << (n.resto + bitSegno_));
                    Scrivi(a, dove + n.chiave, s.bitRiga, riga);
                    ++figli[x];
                    continue;
                }
            }
            const std::uint64_t casa = scelta != 0 ? b ^ Altro(impronta, s.beta) : b;
            dopo.push_back({casa << bitImpronta | impronta, riga, segno});
        }
        if (meta) {
            Scrivi(a, 2 * b * n.passo, 8, figli[0]);
            Scrivi(a, (2 * b + 1) * n.passo, 8, figli[1]);
            nuovo.usati += figli[0] + figli[1];
        }
    }
    for (const Riposto& r : dopo) {
        Metti(nuovo, r.interno, r.segno, r.riga);
    }
    for (const Riposto& r : s.riposti) {
        Metti(nuovo, r.interno, r.segno, r.riga);
    }
    s = std::move(nuovo);
}

std::uint64_t CodiciVisti::Tavola::Registra(std::uint64_t h, std::uint8_t segno,
                                            std::uint64_t riga) {
    if (segmenti_.empty()) {
        segmenti_.resize(std::size_t{1} << kBitSegmenti);
    }
    Segmento& s = segmenti_[h >> kBitInterni];
    const std::uint64_t interno = Basso(h, kBitInterni);
    Posto p;
    if (Trova(s, interno, segno, p)) {
        return LeggiRiga(s, p);
    }
    int beta = s.beta;
    int posti = s.posti;
    // Nine places in ten at most, and few codes waiting in the list.
    const std::uint64_t postiTotali = std::uint64_t{s.posti} << s.beta;
    if (posti == 0) {
        // A few buckets to begin with: the steps of a segment smaller than that cost more than
        // the bytes they would spare.
        beta = kBetaIniziale;
        posti = kPostiMinimi;
    } else if (10 * (s.usati + s.riposti.size() + 1) > 9 * postiTotali ||
               32 * s.riposti.size() > postiTotali) {
        Successivo(beta, posti);
    }
    const int bitRiga = BitRiga(s.bitRiga, riga);
    if (beta != s.beta || posti != s.posti || bitRiga != s.bitRiga) {
        Cresci(s, beta, posti, bitRiga);
    }
    Metti(s, interno, segno, riga);
    ++usati_;
    return 0;
}

std::uint64_t CodiciVisti::Tavola::Rivedi(std::uint64_t h, std::uint8_t segno, std::uint64_t riga) {
    if (segmenti_.empty()) {
        return 0;
    }
    Segmento& s = segmenti_[h >> kBitInterni];
    const std::uint64_t interno = Basso(h, kBitInterni);
    Posto p;
    if (!Trova(s, interno, segno, p)) {
        return 0;
    }
    if (const std::uint64_t prima = LeggiRiga(s, p); prima != 0) {
        return prima;
    }
    if (const int bitRiga = BitRiga(s.bitRiga, riga); bitRiga != s.bitRiga) {
        Cresci(s, s.beta, s.posti, bitRiga);
        Trova(s, interno, segno, p);
    }
    ScriviRiga(s, p, riga);
    return 0;
}

std::array<const void*, 6> CodiciVisti::Tavola::Dove(std::uint64_t h) const {
    if (segmenti_.empty()) {
        return {};
    }
    const Segmento& s = segmenti_[h >> kBitInterni];
    if (s.posti == 0) {
        return {};
    }
    const Forma f = FormaDi(s);
    const unsigned bitImpronta = kBitInterni - s.beta;
    const std::uint64_t casa = Basso(h, kBitInterni) >> bitImpronta;
    const std::uint64_t altro = casa ^ Altro(Basso(h, bitImpronta), s.beta);
    const std::uint64_t* w = s.bit.data();
    return {w + (casa * f.passo >> 6),
            w + ((casa * f.passo + f.passo / 2) >> 6),
            w + ((casa * f.passo + f.passo - 1) >> 6),
            w + (altro * f.passo >> 6),
            w + ((altro * f.passo + f.passo / 2) >> 6),
            w + ((altro * f.passo + f.passo - 1) >> 6)};
}

void CodiciVisti::Tavola::Riserva(std::uint64_t quanti) {
    if (segmenti_.empty()) {
        segmenti_.resize(std::size_t{1} << kBitSegmenti);
    }
    const std::uint64_t ciascuno = (quanti >> kBitSegmenti) + 1;
    for (Segmento& s : segmenti_) {
        int beta = s.posti == 0 ? kBetaIniziale : s.beta;
        int posti = s.posti == 0 ? kPostiMinimi : s.posti;
        while (9 * (std::uint64_t(posti) << beta) < 10 * ciascuno &&
               (beta < kBetaMassimo || posti < kPostiMassimi)) {
            Successivo(beta, posti);
        }
        if (s.posti == 0 && beta == kBetaIniziale && posti == kPostiMinimi) {
            continue;  // as a segment would start anyway
        }
        if (beta != s.beta || posti != s.posti) {
            Cresci(s, beta, posti, s.bitRiga == 0 ? kBitRigaMinimi : s.bitRiga);
        }
    }
}

template <class F>
void CodiciVisti::Tavola::PerOgni(F&& f) const {
    for (std::size_t i = 0; i < segmenti_.size(); ++i) {
        const Segmento& s = segmenti_[i];
        if (s.posti == 0) {
            continue;
        }
        const Forma v = FormaDi(s);
        const unsigned bitImpronta = kBitInterni - s.beta;
        const std::uint64_t* da = s.bit.data();
        const std::uint64_t numero = std::uint64_t{i} << kBitInterni;
        for (std::uint64_t b = 0; b < v.secchi; ++b) {
            const std::uint64_t base = b * v.passo;
            const std::uint64_t quanti = Leggi(da, base, kBitQuanti);
            for (std::uint64_t j = 0; j < quanti; ++j) {
                const std::uint64_t k = Leggi(da, base + v.inizio + j * v.posto, v.chiave);
                const std::uint64_t impronta =
                    Basso(k, v.resto) << kBitEtichetta |
                    Leggi(da, base + 8 + kBitEtichetta * j, kBitEtichetta);
                const std::uint64_t casa =
                    (k >> (v.resto + bitSegno_)) != 0 ? b ^ Altro(impronta, s.beta) : b;
                f(numero | casa << bitImpronta | impronta);
            }
        }
        for (const Riposto& r : s.riposti) {
            f(numero | r.interno);
        }
    }
}

std::uint64_t CodiciVisti::Usati() const {
    return piane_.Usati() + omocodici_.Usati() + fuori_.size();
}

std::uint64_t CodiciVisti::Registra(std::uint64_t chiave, std::uint8_t omocodia,
                                    std::uint64_t riga) {
    std::uint64_t x = 0;
    if (!Numero(chiave, x) || omocodia >= 128) {
        const auto [i, nuovo] = fuori_.try_emplace({chiave, omocodia}, riga);
        return nuovo ? 0 : i->second;
    }
    return omocodia == 0 ? piane_.Registra(Mescola(x), 0, riga)
                         : omocodici_.Registra(Mescola(x), omocodia, riga);
}

void CodiciVisti::Anticipa(std::uint64_t chiave) const {
    // Most codes are plain ones. Asked here: a function that only asks the memory could be
    // dropped as doing nothing.
    if (!presenti_.empty()) {
        __builtin_prefetch(&presenti_[Presente(chiave) >> (64 - bitPresenti_)]);
    }
    if (std::uint64_t x = 0; Numero(chiave, x)) {
        for (const void* p : piane_.Dove(Mescola(x))) {
            if (p != nullptr) {
                __builtin_prefetch(p);
            }
        }
    }
}

void CodiciVisti::Riserva(std::uint64_t quanti) {
    piane_.Riserva(quanti);
}

std::uint64_t CodiciVisti::Rivedi(std::uint64_t chiave, std::uint8_t omocodia, std::uint64_t riga) {
    if (Usati() == 0 || !Forse(chiave)) {
        return 0;
    }
    std::uint64_t x = 0;
    if (!Numero(chiave, x) || omocodia >= 128) {
        const auto i = fuori_.find({chiave, omocodia});
        if (i == fuori_.end()) {
            return 0;
        }
        if (i->second != 0) {
            return i->second;
        }
        i->second = riga;
        return 0;
    }
    return omocodia == 0 ? piane_.Rivedi(Mescola(x), 0, riga)
                         : omocodici_.Rivedi(Mescola(x), omocodia, riga);
}

void CodiciVisti::Svuota() {
    piane_ = Tavola(0);
    omocodici_ = Tavola(7);
    fuori_.clear();
    presenti_ = std::vector<std::uint64_t>();
    bitPresenti_ = 0;
}

void CodiciVisti::Chiudi() {
    // A word for every code at least, two bits of it set: about one code never recorded in a
    // thousand still looks at the table.
    bitPresenti_ = 6;
    while ((std::uint64_t{1} << bitPresenti_) < Usati() && bitPresenti_ < 34) {
        ++bitPresenti_;
    }
    presenti_.assign(std::size_t{1} << bitPresenti_, 0);
    auto segna = [this](std::uint64_t chiave) {
        const std::uint64_t h = Presente(chiave);
        presenti_[h >> (64 - bitPresenti_)] |= Bit(h);
    };
    auto daHash = [&segna](std::uint64_t h) { segna(DaNumero(Districa(h))); };
    piane_.PerOgni(daHash);
    omocodici_.PerOgni(daHash);
    for (const auto& [chiave, riga] : fuori_) {
        segna(chiave.first);
    }
}

}  // namespace nodrel
