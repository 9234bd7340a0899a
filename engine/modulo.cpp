// Composition and verification as functions of values, and the module variables over them.

#include <algorithm>
#include <array>
#include <ctime>

#include "engine/interno.h"
#include "engine/nodrel1.h"

namespace NODREL1 {

namespace {

// GG/MM/AAAA (a date already read) as the register keeps its dates, YYYY-MM-DD: text order is
// time order.
std::array<char16_t, 10> Iso(std::u16string_view d) {
    return {d[6], d[7], d[8], d[9], u'-', d[3], d[4], u'-', d[0], d[1]};
}

constexpr std::u16string_view kSempre = u"9999-12-31";

// The text without its leading and trailing blanks, where it lies.
std::u16string_view Rifilato(std::u16string_view testo) {
    const std::size_t inizio = testo.find_first_not_of(u' ');
    if (inizio == std::u16string_view::npos) {
        return {};
    }
    return testo.substr(inizio, testo.find_last_not_of(u' ') - inizio + 1);
}

// A person's fields where they lie: the compose command reads the module variables without
// copying them into a Persona.
struct Campi {
    std::u16string_view cognome;
    std::u16string_view nome;
    std::u16string_view sesso;
    std::u16string_view luogo;
    std::u16string_view provincia;
    std::u16string_view data;
    const Comune* comune;
};

Composizione ComponiCampi(const Campi& p, const Registro* registro,
                          std::chrono::year_month_day oggi);

}  // namespace

std::u16string SenzaSpaziEsterni(std::u16string_view testo) {
    return std::u16string(Rifilato(testo));
}

bool CodiceCatastale(std::u16string_view codice) {
    return codice.size() == 4 && codice[0] >= u'A' && codice[0] <= u'Z' &&
           std::all_of(codice.begin() + 1, codice.end(),
                       [](char16_t c) { return c >= u'0' && c <= u'9'; });
}

std::chrono::year_month_day Oggi() {
    // The local calendar costs a time-zone lookup; within one second of the clock the day
    // cannot change, so each thread reads it at most once a second.
    thread_local std::time_t letto = 0;
    thread_local std::optional<std::chrono::year_month_day> giorno;
    const std::time_t adesso = std::time(nullptr);
    if (giorno && adesso == letto) {
        return *giorno;
    }
    std::tm locale{};
    localtime_r(&adesso, &locale);
    giorno =
        std::chrono::year_month_day{std::chrono::year{locale.tm_year + 1900},
                                    std::chrono::month{static_cast<unsigned>(locale.tm_mon + 1)},
                                    std::chrono::day{static_cast<unsigned>(locale.tm_mday)}};
    letto = adesso;
    return *giorno;
}

const Comune* ScegliComune(const Registro& registro, std::u16string_view luogo,
                           std::u16string_view provincia, std::u16string_view data,
                           const Comune* scelto) {
    const std::u16string_view nome = Rifilato(luogo);
    if (!LeggiData(data) || nome.empty()) {
        return scelto;
    }
    const std::span<const Comune> omonimi = registro.Omonimi(nome);
    const std::u16string_view mostrata = Rifilato(provincia);
    auto nellaProvincia = [mostrata](const Comune& c) { return c.provincia == mostrata; };
    const bool provinciaNota = std::any_of(omonimi.begin(), omonimi.end(), nellaProvincia);
    auto candidato = [&](const Comune& c) { return !provinciaNota || nellaProvincia(c); };
    // YYYY-MM-DD, as the register keeps its dates: text order is time order.
    const std::array<char16_t, 10> giorno = Iso(data);
    const std::u16string_view iso(giorno.data(), giorno.size());
    auto vale = [iso](const Comune& c) { return c.dal <= iso && iso <= c.al; };
    if (provinciaNota) {
        const Comune* altrove = nullptr;
        bool unico = true;
        for (const Comune& c : omonimi) {
            if (nellaProvincia(c) && vale(c)) {
                return &c;
            }
            if (vale(c)) {
                unico = unico && (altrove == nullptr || altrove->codice == c.codice);
                // A town of the name in force today is another place than the one shown.
                unico = unico && c.al != kSempre;
                altrove = altrove != nullptr ? altrove : &c;
            }
        }
        if (altrove != nullptr && unico) {
            return altrove;
        }
    }
    const Comune* primo = nullptr;
    bool traQuesti = false;
    for (const Comune& c : omonimi) {
        if (!candidato(c)) {
            continue;
        }
        if (vale(c)) {
            return &c;
        }
        primo = primo != nullptr ? primo : &c;
        traQuesti = traQuesti || (scelto != nullptr && c.codice == scelto->codice);
    }
    return primo == nullptr || traQuesti ? scelto : primo;
}

Composizione Componi(const Persona& p, const Registro* registro, std::chrono::year_month_day oggi) {
    return ComponiCampi({p.cognome, p.nome, p.sesso, p.luogo, p.provincia, p.data, p.comune},
                        registro, oggi);
}

namespace {

Composizione ComponiCampi(const Campi& p, const Registro* registro,
                          std::chrono::year_month_day oggi) {
    Composizione esito;
    // A name not in the register has no record chosen: it is refused as it stands.
    esito.comune = p.comune != nullptr && registro != nullptr
                       ? ScegliComune(*registro, p.luogo, p.provincia, p.data, p.comune)
                       : p.comune;
    // The sixteen characters are built in place; each group is computed once, both to judge
    // the field and to go into the code.
    char16_t c[kLunghezzaPersonale];
    const bool cognome = GruppoLettere(p.cognome, false, c) == 3;
    const bool nome = GruppoLettere(p.nome, true, c + 3) == 3;
    const std::optional<std::chrono::year_month_day> nascita = LeggiData(p.data);
    if (!cognome) {
        esito.rifiuto = Rifiuto{kMsgCognomeMancante, Campo::Text2};
    } else if (!nome) {
        esito.rifiuto = Rifiuto{kMsgNomeMancante, Campo::Text3};
    } else if (esito.comune == nullptr || !CodiceCatastale(esito.comune->codice)) {
        esito.rifiuto = Rifiuto{kMsgLuogoErrato, Campo::Text5, true};
    } else if (!nascita || *nascita > oggi) {
        esito.rifiuto = Rifiuto{kMsgDataMancante, Campo::Text7};
    }
    if (esito.rifiuto) {
        return esito;
    }
    // The date exists, so it is GG/MM/AAAA: the year's last two digits, the month's letter,
    // the day, raised by 40 for a woman.
    const std::u16string_view& d = p.data;
    c[6] = d[8];
    c[7] = d[9];
    c[8] = kLettereMese[static_cast<unsigned>(nascita->month()) - 1];
    c[9] = static_cast<char16_t>(p.sesso == u"F" ? d[0] + 4 : d[0]);
    c[10] = d[1];
    std::copy_n(esito.comune->codice.begin(), 4, c + 11);
    // Only capitals and digits: the total is never negative.
    c[15] = *LetteraControllo(TotaleControllo(c, kLunghezzaPersonale - 1));
    const char16_t mostrato[20] = {c[0],  c[1],  c[2],  u' ',  c[3], c[4],  c[5],
                                   u' ',  c[6],  c[7],  c[8],  c[9], c[10], u' ',
                                   c[11], c[12], c[13], c[14], u' ', c[15]};
    esito.codice.assign(mostrato, 20);
    if (registro != nullptr) {
        const std::array<char16_t, 10> giorno = Iso(p.data);
        esito.nonInVigore =
            !InVigore(*registro, esito.comune->codice, std::u16string_view(giorno.data(), 10));
    }
    return esito;
}

}  // namespace

bool InVigore(const Registro& registro, std::u16string_view codice, std::u16string_view giorno) {
    const std::vector<const Comune*> periodi = registro.TuttiPerCodice(codice);
    return std::any_of(periodi.begin(), periodi.end(),
                       [giorno](const Comune* c) { return c->dal <= giorno && giorno <= c->al; });
}

Composizione Modulo::CalcolaCodice(const Comune* scelto) {
    Composizione esito = ComponiCampi({Cognome, Nome, Sesso, Luogo, Provincia, DataNascita, scelto},
                                      registro.get(), Oggi());
    if (!esito.rifiuto) {
        Codice = esito.codice;
    }
    return esito;
}

std::u16string_view Modulo::ControllaCodice(const std::u16string& codice) const {
    // Views of known length: a choice between the two arrays would be measured on every call.
    static constexpr std::u16string_view kCorretto = kMsgCodiceCorretto;
    static constexpr std::u16string_view kErrato = kMsgCodiceErrato;
    return CodiceCorretto(codice) ? kCorretto : kErrato;
}

Decodificato Modulo::EstraiDati(const std::u16string& codice) const {
    return Decodifica(codice, registro.get(), Oggi());
}

}  // namespace NODREL1
