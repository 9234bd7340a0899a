// A person's data as typed: blanks, the spelling of a municipality's name, the date of birth, and
// the municipality of the birth among the records of its name.

#include "engine/persona.h"

#include <algorithm>
#include <optional>

#include "engine/interno.h"
#include "engine/nodrel1.h"

namespace NODREL1 {

namespace {

constexpr std::u16string_view kSempre = u"9999-12-31";

std::u16string_view Rifilato(std::u16string_view testo) {
    std::size_t inizio = 0;
    std::size_t fine = testo.size();
    while (inizio < fine && Spazio(testo[inizio])) {
        ++inizio;
    }
    while (fine > inizio && Spazio(testo[fine - 1])) {
        --fine;
    }
    return testo.substr(inizio, fine - inizio);
}

// The base vowel of a precomposed vowel with a grave or acute accent, or 0: the accents of
// Italian names, not the circumflex or the diaeresis.
char16_t VocaleAccentata(char16_t c) {
    switch (c) {
        case u'\u00C0':
        case u'\u00C1':
            return u'A';
        case u'\u00C8':
        case u'\u00C9':
            return u'E';
        case u'\u00CC':
        case u'\u00CD':
            return u'I';
        case u'\u00D2':
        case u'\u00D3':
            return u'O';
        case u'\u00D9':
        case u'\u00DA':
            return u'U';
        case u'\u00E0':
        case u'\u00E1':
            return u'a';
        case u'\u00E8':
        case u'\u00E9':
            return u'e';
        case u'\u00EC':
        case u'\u00ED':
            return u'i';
        case u'\u00F2':
        case u'\u00F3':
            return u'o';
        case u'\u00F9':
        case u'\u00FA':
            return u'u';
        default:
            return 0;
    }
}

bool Apostrofo(char16_t c) {
    return c == u'\u2019' || c == u'\u2018' || c == u'\u02BC' || c == u'\u00B4' || c == u'`';
}

bool Vocale(char16_t c) {
    return std::u16string_view(u"AEIOUaeiou").find(c) != std::u16string_view::npos;
}

bool Cifre(std::u16string_view t) {
    return !t.empty() &&
           std::all_of(t.begin(), t.end(), [](char16_t c) { return c >= u'0' && c <= u'9'; });
}

int Numero(std::u16string_view t) {
    int n = 0;
    for (char16_t c : t) {
        n = n * 10 + (c - u'0');
    }
    return n;
}

constexpr std::u16string_view kMesi[12] = {u"gennaio",   u"febbraio", u"marzo",    u"aprile",
                                           u"maggio",    u"giugno",   u"luglio",   u"agosto",
                                           u"settembre", u"ottobre",  u"novembre", u"dicembre"};

std::u16string Decimale(int n) {
    std::u16string t;
    do {
        t.insert(t.begin(), static_cast<char16_t>(u'0' + n % 10));
        n /= 10;
    } while (n > 0);
    return t;
}

DataLetta Rifiutata(std::u16string motivo) {
    DataLetta d;
    d.motivo = std::move(motivo);
    return d;
}

// YYYY-MM-DD of an accepted date, as the register keeps its dates: text order is time order.
std::array<char16_t, 10> Iso(const DataLetta& d) {
    const auto& g = d.gg;
    return {g[6], g[7], g[8], g[9], u'-', g[3], g[4], u'-', g[0], g[1]};
}

bool InVigoreIl(const Comune& c, std::u16string_view giorno) {
    return c.dal <= giorno && giorno <= c.al;
}

}  // namespace

bool Spazio(char16_t c) {
    return c == u' ' || (c >= u'\t' && c <= u'\r') || c == u'\u0085' || c == u'\u00A0' ||
           (c >= u'\u2000' && c <= u'\u200B') || c == u'\u2028' || c == u'\u2029' ||
           c == u'\u202F' || c == u'\u205F' || c == u'\u2060' || c == u'\u3000' || c == u'\uFEFF' ||
           c == u'\u1680';
}

std::u16string SenzaSpaziEsterni(std::u16string_view testo) {
    return std::u16string(Rifilato(testo));
}

std::u16string AccentiComeApostrofi(std::u16string_view testo) {
    std::u16string r;
    r.reserve(testo.size() + 2);
    for (char16_t c : testo) {
        if (const char16_t v = VocaleAccentata(c)) {
            r += v;
            r += u'\'';
        } else if ((c == u'\u0300' || c == u'\u0301') && !r.empty() && Vocale(r.back())) {
            r += u'\'';
        } else {
            r += Apostrofo(c) ? u'\'' : c;
        }
    }
    return r;
}

std::u16string NomeComune(std::u16string_view testo) {
    std::u16string nome = AccentiComeApostrofi(Rifilato(testo));
    std::transform(nome.begin(), nome.end(), nome.begin(), MaiuscolaAscii);
    return nome;
}

DataLetta LeggiDataNascita(std::u16string_view testo, std::chrono::year_month_day oggi) {
    const std::u16string_view t = Rifilato(testo);
    if (t.empty()) {
        return {};
    }
    // Day, month and year as the text gives them.
    std::u16string_view parti[3];
    constexpr std::u16string_view kSeparatori = u"/.-";
    if (t.find_first_of(kSeparatori) == std::u16string_view::npos) {
        if (!Cifre(t) || (t.size() != 8 && t.size() != 6)) {
            return Rifiutata(u"formato non valido");
        }
        parti[0] = t.substr(0, 2);
        parti[1] = t.substr(2, 2);
        parti[2] = t.substr(4);
    } else {
        std::size_t n = 0;
        std::size_t inizio = 0;
        for (std::size_t i = 0; i <= t.size() && n < 3; ++i) {
            if (i == t.size() || kSeparatori.find(t[i]) != std::u16string_view::npos) {
                parti[n++] = t.substr(inizio, i - inizio);
                inizio = i + 1;
            }
        }
        const bool tre = n == 3 && inizio == t.size() + 1;
        if (!tre || !Cifre(parti[0]) || !Cifre(parti[1]) || !Cifre(parti[2])) {
            return Rifiutata(u"formato non valido");
        }
        // AAAA-MM-GG.
        if (parti[0].size() == 4 && parti[2].size() <= 2) {
            std::swap(parti[0], parti[2]);
        }
    }
    if (parti[0].size() > 2 || parti[1].size() > 2 ||
        (parti[2].size() != 2 && parti[2].size() != 4)) {
        return Rifiutata(u"formato non valido");
    }
    const int giorno = Numero(parti[0]);
    const int mese = Numero(parti[1]);
    int anno = Numero(parti[2]);
    if (parti[2].size() == 2) {
        // The century that puts the date latest without passing today.
        const int oggiNumero = static_cast<int>(oggi.year()) * 10000 +
                               static_cast<int>(static_cast<unsigned>(oggi.month())) * 100 +
                               static_cast<int>(static_cast<unsigned>(oggi.day()));
        const int secolo = static_cast<int>(oggi.year()) / 100 * 100;
        anno += (secolo + anno) * 10000 + mese * 100 + giorno <= oggiNumero ? secolo : secolo - 100;
    }
    if (mese < 1 || mese > 12) {
        return Rifiutata(u"mese non valido");
    }
    using namespace std::chrono;
    const year_month_day data{year{anno}, month{static_cast<unsigned>(mese)},
                              day{static_cast<unsigned>(giorno)}};
    if (giorno < 1 || giorno > 31) {
        return Rifiutata(u"giorno non valido");
    }
    if (!data.ok()) {
        const unsigned giorni = static_cast<unsigned>((data.year() / data.month() / last).day());
        std::u16string motivo = u"giorno non valido: ";
        motivo += kMesi[mese - 1];
        if (mese == 2) {
            motivo += u" " + Decimale(anno);
        }
        return Rifiutata(motivo + u" ha " + Decimale(static_cast<int>(giorni)) + u" giorni");
    }
    if (data > oggi) {
        return Rifiutata(u"data successiva a oggi");
    }
    DataLetta d;
    d.valida = true;
    const auto cifra = [](int n) { return static_cast<char16_t>(u'0' + n % 10); };
    d.gg = {cifra(giorno / 10), cifra(giorno),     u'/',
            cifra(mese / 10),   cifra(mese),       u'/',
            cifra(anno / 1000), cifra(anno / 100), cifra(anno / 10),
            cifra(anno)};
    return d;
}

int DataNascitaAscii(std::string_view testo, std::chrono::year_month_day oggi) {
    auto cifre = [&testo](std::size_t da, std::size_t n) {
        int v = 0;
        for (std::size_t i = da; i < da + n; ++i) {
            if (testo[i] < '0' || testo[i] > '9') {
                return -1;
            }
            v = v * 10 + (testo[i] - '0');
        }
        return v;
    };
    auto separatore = [&testo](std::size_t i) {
        return testo[i] == '/' || testo[i] == '.' || testo[i] == '-';
    };
    int giorno = -1;
    int mese = -1;
    int anno = -1;
    if (testo.size() == 10 && separatore(4) && separatore(7)) {
        anno = cifre(0, 4);
        mese = cifre(5, 2);
        giorno = cifre(8, 2);
    } else if (testo.size() >= 8 && testo.size() <= 10 && separatore(testo.size() - 5)) {
        // The day and the month take one or two digits each.
        const std::size_t fine = testo.size() - 5;
        const std::size_t s = separatore(1) ? 1 : separatore(2) ? 2 : 0;
        if (s != 0 && fine > s + 1 && fine - s - 1 <= 2) {
            giorno = cifre(0, s);
            mese = cifre(s + 1, fine - s - 1);
            anno = cifre(fine + 1, 4);
        }
    }
    using namespace std::chrono;
    if (giorno < 1 || mese < 1 || mese > 12 || anno < 0) {
        return 0;
    }
    const year_month_day data{year{anno}, month{static_cast<unsigned>(mese)},
                              day{static_cast<unsigned>(giorno)}};
    return data.ok() && data <= oggi ? anno * 10000 + mese * 100 + giorno : 0;
}

std::u16string_view LeggiSesso(std::u16string_view testo) {
    std::u16string s;
    for (char16_t c : SenzaSpaziEsterni(testo)) {
        s += c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
    }
    if (s == u"M" || s == u"MASCHIO" || s == u"MASCHILE" || s == u"UOMO") {
        return u"M";
    }
    if (s == u"F" || s == u"FEMMINA" || s == u"FEMMINILE" || s == u"DONNA") {
        return u"F";
    }
    return {};
}

SceltaComune ScegliComune(const Registro& registro, std::u16string_view luogo,
                          std::u16string_view provincia, std::u16string_view data,
                          const Comune* scelto, std::chrono::year_month_day oggi) {
    SceltaComune esito;
    const std::u16string nome = NomeComune(luogo);
    const std::span<const Comune> omonimi =
        nome.empty() ? std::span<const Comune>() : registro.Omonimi(nome);
    if (omonimi.empty()) {
        return esito;
    }
    const DataLetta nascita = LeggiDataNascita(data, oggi);
    const std::array<char16_t, 10> iso = Iso(nascita);
    const std::u16string_view giorno(iso.data(), iso.size());
    // A record chosen among the name's stands; one of another name was left behind by an edit.
    if (scelto != nullptr && ConfrontaNomi(scelto->nome, nome) == 0) {
        esito.comune = scelto;
        esito.nonInVigore = nascita.Valida() && !InVigore(registro, scelto->codice, giorno);
        return esito;
    }
    const std::u16string_view indicata = Rifilato(provincia);
    auto nellaProvincia = [indicata](const Comune& c) {
        return ConfrontaNomi(c.provincia, indicata) == 0;
    };
    const bool provinciaNota =
        !indicata.empty() && std::any_of(omonimi.begin(), omonimi.end(), nellaProvincia);
    auto candidato = [&](const Comune& c) { return !provinciaNota || nellaProvincia(c); };
    const Comune* primo = &*std::find_if(omonimi.begin(), omonimi.end(), candidato);
    if (!nascita.Valida()) {
        esito.comune = primo;
        return esito;
    }
    // Of the records in force that day, the first of the offer's code, else the first.
    const Comune* vale = nullptr;
    for (const Comune& c : omonimi) {
        if (candidato(c) && InVigoreIl(c, giorno) &&
            (vale == nullptr || (c.codice == primo->codice && vale->codice != primo->codice))) {
            vale = &c;
        }
    }
    esito.omonimo =
        vale != nullptr && std::any_of(omonimi.begin(), omonimi.end(), [&](const Comune& c) {
            return candidato(c) && InVigoreIl(c, giorno) && c.codice != vale->codice;
        });
    if (vale == nullptr && provinciaNota) {
        // None of the province that day: a place since moved into it under a new code, when the
        // records in force that day all carry one code that has since ceased.
        const Comune* altrove = nullptr;
        bool unico = true;
        for (const Comune& c : omonimi) {
            if (InVigoreIl(c, giorno)) {
                unico =
                    unico && (altrove == nullptr || altrove->codice == c.codice) && c.al != kSempre;
                altrove = altrove != nullptr ? altrove : &c;
            }
        }
        vale = unico ? altrove : nullptr;
    }
    esito.comune = vale != nullptr ? vale : primo;
    esito.nonInVigore = vale == nullptr;
    return esito;
}

}  // namespace NODREL1
