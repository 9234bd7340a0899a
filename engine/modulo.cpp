// Composition and verification as functions of values, and the module variables over them.

#include <algorithm>
#include <cassert>
#include <ctime>

#include "engine/interno.h"
#include "engine/nodrel1.h"

namespace NODREL1 {

namespace {

bool HaLettere(const std::u16string& testo) {
    return CodiceCognome(testo).size() == 3;
}

// GG/MM/AAAA as the register keeps its dates, YYYY-MM-DD: text order is time order.
std::u16string Iso(std::u16string_view data) {
    return std::u16string(data.substr(6, 4)) + u"-" + std::u16string(data.substr(3, 2)) + u"-" +
           std::u16string(data.substr(0, 2));
}

constexpr std::u16string_view kSempre = u"9999-12-31";

}  // namespace

std::u16string SenzaSpaziEsterni(std::u16string_view testo) {
    const std::size_t inizio = testo.find_first_not_of(u' ');
    if (inizio == std::u16string_view::npos) {
        return {};
    }
    return std::u16string(testo.substr(inizio, testo.find_last_not_of(u' ') - inizio + 1));
}

bool CodiceCatastale(std::u16string_view codice) {
    return codice.size() == 4 && codice[0] >= u'A' && codice[0] <= u'Z' &&
           std::all_of(codice.begin() + 1, codice.end(),
                       [](char16_t c) { return c >= u'0' && c <= u'9'; });
}

std::chrono::year_month_day Oggi() {
    const std::time_t adesso = std::time(nullptr);
    std::tm locale{};
    localtime_r(&adesso, &locale);
    return {std::chrono::year{locale.tm_year + 1900},
            std::chrono::month{static_cast<unsigned>(locale.tm_mon + 1)},
            std::chrono::day{static_cast<unsigned>(locale.tm_mday)}};
}

const Comune* ScegliComune(const Registro& registro, std::u16string_view luogo,
                           std::u16string_view provincia, std::u16string_view data,
                           const Comune* scelto) {
    const std::u16string nome = SenzaSpaziEsterni(luogo);
    if (!LeggiData(data) || nome.empty()) {
        return scelto;
    }
    const std::span<const Comune> omonimi = registro.Omonimi(nome);
    const std::u16string_view mostrata = provincia;
    auto nellaProvincia = [&mostrata](const Comune& c) {
        return c.provincia == SenzaSpaziEsterni(mostrata);
    };
    const bool provinciaNota = std::any_of(omonimi.begin(), omonimi.end(), nellaProvincia);
    auto candidato = [&](const Comune& c) { return !provinciaNota || nellaProvincia(c); };
    const std::u16string iso = Iso(data);
    auto vale = [&iso](const Comune& c) { return c.dal <= iso && iso <= c.al; };
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
    Composizione esito;
    // A name not in the register has no record chosen: it is refused as it stands.
    esito.comune = p.comune != nullptr && registro != nullptr
                       ? ScegliComune(*registro, p.luogo, p.provincia, p.data, p.comune)
                       : p.comune;
    if (!HaLettere(p.cognome)) {
        esito.rifiuto = Rifiuto{kMsgCognomeMancante, Campo::Text2};
    } else if (!HaLettere(p.nome)) {
        esito.rifiuto = Rifiuto{kMsgNomeMancante, Campo::Text3};
    } else if (esito.comune == nullptr || !CodiceCatastale(esito.comune->codice)) {
        esito.rifiuto = Rifiuto{kMsgLuogoErrato, Campo::Text5, true};
    } else if (!ControllaData(p.data, oggi)) {
        esito.rifiuto = Rifiuto{kMsgDataMancante, Campo::Text7};
    }
    if (esito.rifiuto) {
        return esito;
    }
    const std::u16string cognome = CodiceCognome(p.cognome);
    const std::u16string nome = CodiceNome(p.nome);
    const std::u16string data = CodiceDataSesso(p.data, p.sesso);
    const std::u16string& luogo = esito.comune->codice;
    const std::u16string controllo = CarattereControllo(cognome + nome + data + luogo);
    esito.codice = cognome + u" " + nome + u" " + data + u" " + luogo + u" " + controllo;
    assert(esito.codice.size() == 20);
    esito.nonInVigore = registro != nullptr && !InVigore(*registro, luogo, Iso(p.data));
    return esito;
}

bool InVigore(const Registro& registro, std::u16string_view codice, std::u16string_view giorno) {
    const std::vector<const Comune*> periodi = registro.TuttiPerCodice(codice);
    return std::any_of(periodi.begin(), periodi.end(),
                       [giorno](const Comune* c) { return c->dal <= giorno && giorno <= c->al; });
}

Composizione Modulo::CalcolaCodice(const Comune* scelto) {
    const Persona p{Cognome, Nome, Sesso, Luogo, Provincia, DataNascita, scelto};
    Composizione esito = Componi(p, registro.get(), Oggi());
    if (!esito.rifiuto) {
        Codice = esito.codice;
    }
    return esito;
}

std::u16string_view Modulo::ControllaCodice(const std::u16string& codice) const {
    return EsaminaCodice(codice).Corretto() ? kMsgCodiceCorretto : kMsgCodiceErrato;
}

Decodificato Modulo::EstraiDati(const std::u16string& codice) const {
    return Decodifica(codice, registro.get(), Oggi());
}

}  // namespace NODREL1
