// Cells as a suite shows them, in Italian, whatever the format kept them in.

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "fogli/interno.h"

namespace nodrel {

namespace celle {

namespace {

// The civil date of a day counted from 1 January 1970 (H. Hinnant's algorithm).
void Civile(std::int64_t giorni, std::int64_t& anno, unsigned& mese, unsigned& giorno) {
    giorni += 719468;
    const std::int64_t era = (giorni >= 0 ? giorni : giorni - 146096) / 146097;
    const auto doe = static_cast<unsigned>(giorni - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    giorno = doy - (153 * mp + 2) / 5 + 1;
    mese = mp < 10 ? mp + 3 : mp - 9;
    anno = static_cast<std::int64_t>(yoe) + era * 400 + (mese <= 2);
}

bool Data(std::int64_t anno, unsigned mese, unsigned giorno, std::string& out) {
    if (anno < 1 || anno > 9999 || mese < 1 || mese > 12 || giorno < 1 || giorno > 31) {
        return false;
    }
    const auto a = static_cast<unsigned>(anno);
    auto cifra = [](unsigned n) { return static_cast<char>('0' + n % 10); };
    const char testo[10] = {
        cifra(giorno / 10), cifra(giorno),  '/',           cifra(mese / 10), cifra(mese), '/',
        cifra(a / 1000),    cifra(a / 100), cifra(a / 10), cifra(a)};
    out.append(testo, sizeof testo);
    return true;
}

// The length of the blank that starts at `t`, 0 when there is none: the ASCII blanks and
// Unicode's spaces, the no-break and zero-width ones and the byte-order mark among them.
std::size_t Bianco(std::string_view t) {
    const auto b = [&t](std::size_t i) { return static_cast<unsigned char>(t[i]); };
    if (t.empty()) {
        return 0;
    }
    if (b(0) == ' ' || (b(0) >= '\t' && b(0) <= '\r')) {
        return 1;
    }
    if (t.size() >= 2 && b(0) == 0xC2 && (b(1) == 0xA0 || b(1) == 0x85)) {
        return 2;
    }
    if (t.size() >= 3) {
        const unsigned c = (b(0) << 16) | (b(1) << 8) | b(2);
        if (c == 0xE19A80 || (c >= 0xE28080 && c <= 0xE2808B) || c == 0xE280A8 || c == 0xE280A9 ||
            c == 0xE280AF || c == 0xE2819F || c == 0xE38080 || c == 0xEFBBBF) {
            return 3;
        }
    }
    return 0;
}

}  // namespace

bool DaSeriale(double giorni, bool dal1904, std::string& out) {
    // Within a second of midnight is the next day, as the suites round a time to the second.
    const double giorno = std::floor(giorni + 0.5 / 86400);
    if (!(giorno >= -693593 && giorno <= 2958465)) {
        return false;
    }
    // 30 December 1899 and 1 January 1904 are days -25569 and -24107 from 1970.
    std::int64_t anno = 0;
    unsigned mese = 0, g = 0;
    Civile(static_cast<std::int64_t>(giorno) + (dal1904 ? -24107 : -25569), anno, mese, g);
    return Data(anno, mese, g, out);
}

bool DaIso(std::string_view iso, std::string& out) {
    unsigned a = 0, m = 0, g = 0;
    const char* p = iso.data();
    const char* fine = p + iso.size();
    auto numero = [&](unsigned& n, std::size_t cifre) {
        const auto [q, ec] = std::from_chars(p, std::min(fine, p + cifre), n);
        const bool fatto = ec == std::errc() && q == p + cifre;
        p = q;
        return fatto;
    };
    if (!numero(a, 4) || p == fine || *p++ != '-' || !numero(m, 2) || p == fine || *p++ != '-' ||
        !numero(g, 2) || (p != fine && *p != 'T' && *p != ' ')) {
        return false;
    }
    return Data(a, m, g, out);
}

void Ora(double giorni, std::string& out) {
    const auto secondi =
        static_cast<long long>(std::llround((giorni - std::floor(giorni)) * 86400) % 86400);
    char testo[16];
    std::snprintf(testo, sizeof testo, "%02lld:%02lld:%02lld", secondi / 3600, secondi / 60 % 60,
                  secondi % 60);
    out += testo;
}

bool DaDurata(std::string_view durata, std::string& out) {
    if (!durata.starts_with("PT")) {
        return false;
    }
    durata.remove_prefix(2);
    double ore = 0, minuti = 0, secondi = 0;
    while (!durata.empty()) {
        double n = 0;
        const auto [q, ec] = std::from_chars(durata.data(), durata.data() + durata.size(), n);
        if (ec != std::errc() || q == durata.data() + durata.size()) {
            return false;
        }
        (*q == 'H' ? ore : *q == 'M' ? minuti : secondi) = n;
        if (*q != 'H' && *q != 'M' && *q != 'S') {
            return false;
        }
        durata.remove_prefix(static_cast<std::size_t>(q - durata.data()) + 1);
    }
    Ora((ore * 3600 + minuti * 60 + secondi) / 86400, out);
    return true;
}

void Numero(double valore, int cifre, std::string& out) {
    char testo[40];
    if (std::isfinite(valore) && valore == std::trunc(valore) && std::fabs(valore) < 1e15) {
        // The digits from the last, then as many noughts as the format wants before them.
        const auto n = static_cast<long long>(valore);
        auto m = static_cast<unsigned long long>(n < 0 ? -n : n);
        char* fine = testo + sizeof testo;
        char* p = fine;
        do {
            *--p = static_cast<char>('0' + m % 10);
            m /= 10;
        } while (m != 0);
        while (fine - p < std::min(cifre, 20)) {
            *--p = '0';
        }
        if (n < 0) {
            *--p = '-';
        }
        out.append(p, static_cast<std::size_t>(fine - p));
        return;
    }
    // Fifteen significant digits, as the suites keep them; a comma for the point.
    std::snprintf(testo, sizeof testo, "%.15G", valore);
    for (char* c = testo; *c != '\0'; ++c) {
        if (*c == '.') {
            *c = ',';
        }
    }
    out += testo;
}

// A number format's code, as Excel writes it ("dd/mm/yyyy", "00000000000", "#,##0.00",
// "[$-410]d mmmm yyyy;@"): its first section, read past quoted text, escapes and brackets.
Stile DalCodice(std::string_view codice) {
    Stile s;
    bool data = false, ora = false, mese = false, decimali = false;
    for (std::size_t i = 0; i < codice.size(); ++i) {
        const char c = static_cast<char>(codice[i] | 0x20);
        if (codice[i] == ';') {
            break;
        }
        if (codice[i] == '"') {
            const std::size_t fine = codice.find('"', i + 1);
            i = fine == std::string_view::npos ? codice.size() : fine;
        } else if (codice[i] == '\\' || codice[i] == '_' || codice[i] == '*') {
            ++i;
        } else if (codice[i] == '[') {
            const std::size_t fine = codice.find(']', i);
            const std::string_view dentro = codice.substr(i + 1, fine - i - 1);
            if (!dentro.empty() && std::strchr("hHmMsS", dentro[0]) != nullptr) {
                ora = true;  // elapsed time: [h]:mm
            }
            i = fine == std::string_view::npos ? codice.size() : fine;
        } else if (codice.substr(i, 7) == "General" || codice.substr(i, 7) == "general") {
            i += 6;
        } else if (c == 'a' && (codice.substr(i, 5) == "AM/PM" || codice.substr(i, 5) == "am/pm" ||
                                codice.substr(i, 3) == "A/P" || codice.substr(i, 3) == "a/p")) {
            ora = true;
            i += codice[i + 1] == '/' ? 2 : 4;
        } else if (c == 'e' && i + 1 < codice.size() &&
                   (codice[i + 1] == '+' || codice[i + 1] == '-')) {
            ++i;  // a scientific format's exponent
        } else if (c == 'y' || c == 'd' || c == 'e' || c == 'g') {
            data = true;
        } else if (c == 'h' || c == 's') {
            ora = true;
        } else if (c == 'm') {
            mese = true;
        } else if (codice[i] == '.') {
            decimali = true;
        } else if (codice[i] == '0' && !decimali) {
            ++s.cifre;
        }
    }
    // "m" is a month beside days or years, a minute beside hours or seconds.
    s.genere = data || (mese && !ora) ? Stile::Genere::Data
               : ora                  ? Stile::Genere::Ora
                                      : Stile::Genere::Numero;
    return s;
}

Stile Predefinito(int id) {
    Stile s;
    if ((id >= 14 && id <= 17) || id == 22 || (id >= 27 && id <= 31) || id == 36 ||
        (id >= 50 && id <= 58)) {
        s.genere = Stile::Genere::Data;
    } else if ((id >= 18 && id <= 21) || (id >= 32 && id <= 35) || (id >= 45 && id <= 47)) {
        s.genere = Stile::Genere::Ora;
    } else if (id >= 1 && id <= 4) {
        s.cifre = 1;
    }
    return s;
}

void Mostra(double valore, const Stile& stile, bool dal1904, std::string& out) {
    if (stile.genere == Stile::Genere::Ora) {
        Ora(valore, out);
    } else if (stile.genere != Stile::Genere::Data || !DaSeriale(valore, dal1904, out)) {
        Numero(valore, stile.cifre, out);
    }
}

bool LeggiNumero(std::string_view testo, double& valore) {
    // Most numbers of a sheet are a row's, a style's or a shared string's: digits only.
    if (!testo.empty() && testo.size() <= 15) {
        std::uint64_t n = 0;
        std::size_t i = 0;
        while (i < testo.size() && testo[i] >= '0' && testo[i] <= '9') {
            n = n * 10 + static_cast<std::uint64_t>(testo[i++] - '0');
        }
        if (i == testo.size()) {
            valore = static_cast<double>(n);
            return true;
        }
    }
    testo = Rifilato(testo);
    if (!testo.empty() && testo[0] == '+') {
        testo.remove_prefix(1);
    }
    const auto [q, ec] = std::from_chars(testo.data(), testo.data() + testo.size(), valore);
    return ec == std::errc() && q == testo.data() + testo.size() && !testo.empty();
}

std::string_view Rifilato(std::string_view testo) {
    // Most cells begin and end with a letter or a digit.
    const auto visibile = [](char c) { return static_cast<unsigned char>(c) - 0x21u < 0x5Eu; };
    if (testo.empty() || (visibile(testo.front()) && visibile(testo.back()))) {
        return testo;
    }
    while (const std::size_t n = Bianco(testo)) {
        testo.remove_prefix(n);
    }
    for (bool tolto = true; tolto && !testo.empty();) {
        tolto = false;
        for (std::size_t n = 1; n <= 3 && n <= testo.size(); ++n) {
            if (Bianco(testo.substr(testo.size() - n)) == n) {
                testo.remove_suffix(n);
                tolto = true;
                break;
            }
        }
    }
    return testo;
}

}  // namespace celle

void Riga::Poni(std::size_t colonna, Posto posto) {
    if (colonna >= celle::kColonne) {
        return;
    }
    if (posti_.size() <= colonna) {
        posti_.resize(colonna + 1);
    }
    posti_[colonna] = posto;
}

void Riga::Metti(std::size_t colonna) {
    Poni(colonna, {nullptr, inizio_, testo_.size() - inizio_});
}

void Riga::Metti(std::size_t colonna, std::string_view fuori) {
    Poni(colonna, {fuori.data(), 0, fuori.size()});
}

void Riga::Ripeti(std::size_t colonna, std::size_t volte) {
    for (std::size_t i = 1; i < volte && colonna < posti_.size(); ++i) {
        Poni(colonna + i, posti_[colonna]);
    }
}

void Riga::Svuota() {
    testo_.clear();
    posti_.clear();
}

bool Riga::Consegna(std::uint64_t numero, const RigaFoglio& riga) {
    viste_.clear();
    std::size_t piene = 0;
    for (const Posto& p : posti_) {
        const std::string_view v = celle::Rifilato(
            std::string_view(p.fuori != nullptr ? p.fuori : testo_.data() + p.inizio, p.lunghezza));
        viste_.push_back(v);
        if (!v.empty()) {
            piene = viste_.size();
        }
    }
    return piene == 0 || riga(numero, std::span<const std::string_view>(viste_.data(), piene));
}

}  // namespace nodrel
