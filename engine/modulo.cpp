// Composition and verification as functions of values, and the module variables over them.

#include <algorithm>
#include <array>
#include <ctime>

#include "engine/interno.h"
#include "engine/nodrel1.h"

namespace NODREL1 {

namespace {

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

std::u16string TestoRifiuto(const Rifiuto& rifiuto) {
    std::u16string testo(rifiuto.messaggio);
    if (!rifiuto.motivo.empty()) {
        testo += u"\n" + rifiuto.motivo;
    }
    return testo;
}

Composizione Componi(const Persona& p, const Registro* registro, std::chrono::year_month_day oggi) {
    return ComponiCampi({p.cognome, p.nome, p.sesso, p.luogo, p.provincia, p.data, p.comune},
                        registro, oggi);
}

namespace {

Composizione ComponiCampi(const Campi& p, const Registro* registro,
                          std::chrono::year_month_day oggi) {
    Composizione esito;
    const DataLetta nascita = LeggiDataNascita(p.data, oggi);
    if (registro != nullptr) {
        const SceltaComune luogo =
            ScegliComune(*registro, p.luogo, p.provincia, p.data, p.comune, oggi);
        esito.comune = luogo.comune;
        esito.nonInVigore = luogo.nonInVigore;
        esito.omonimo = luogo.omonimo;
    } else if (p.comune != nullptr && ConfrontaNomi(p.comune->nome, NomeComune(p.luogo)) == 0) {
        esito.comune = p.comune;
    }
    // The sixteen characters are built in place; each group is computed once, both to judge
    // the field and to go into the code.
    char16_t c[kLunghezzaPersonale];
    const bool cognome = GruppoLettere(p.cognome, false, c) == 3;
    const bool nome = GruppoLettere(p.nome, true, c + 3) == 3;
    if (!cognome) {
        esito.rifiuto = Rifiuto{kMsgCognomeMancante, Campo::Text2, {}};
    } else if (!nome) {
        esito.rifiuto = Rifiuto{kMsgNomeMancante, Campo::Text3, {}};
    } else if (esito.comune == nullptr || !CodiceCatastale(esito.comune->codice)) {
        const bool vuoto = SenzaSpaziEsterni(p.luogo).empty();
        esito.rifiuto =
            Rifiuto{vuoto || registro == nullptr ? kMsgLuogoErrato : kMsgComuneNonInElenco,
                    Campo::Text5,
                    {}};
    } else if (!nascita.Valida()) {
        esito.rifiuto = Rifiuto{kMsgDataMancante, Campo::Text7, nascita.motivo};
    }
    if (esito.rifiuto) {
        return esito;
    }
    // GG/MM/AAAA: the year's last two digits, the month's letter, the day, raised by 40 for a
    // woman.
    const std::u16string_view d = nascita.Testo();
    c[6] = d[8];
    c[7] = d[9];
    c[8] = kLettereMese[static_cast<std::size_t>((d[3] - u'0') * 10 + (d[4] - u'0')) - 1];
    c[9] = static_cast<char16_t>(p.sesso == u"F" ? d[0] + 4 : d[0]);
    c[10] = d[1];
    std::copy_n(esito.comune->codice.begin(), 4, c + 11);
    // Only capitals and digits: the total is never negative.
    c[15] = *LetteraControllo(TotaleControllo(c, kLunghezzaPersonale - 1));
    const char16_t mostrato[20] = {c[0],  c[1],  c[2],  u' ',  c[3], c[4],  c[5],
                                   u' ',  c[6],  c[7],  c[8],  c[9], c[10], u' ',
                                   c[11], c[12], c[13], c[14], u' ', c[15]};
    esito.codice.assign(mostrato, 20);
    return esito;
}

}  // namespace

bool InVigore(const Registro& registro, std::u16string_view codice, std::u16string_view giorno) {
    const std::vector<const Comune*> periodi = registro.TuttiPerCodice(codice);
    return std::any_of(periodi.begin(), periodi.end(),
                       [giorno](const Comune* c) { return c->dal <= giorno && giorno <= c->al; });
}

Composizione Modulo::CalcolaCodice(const Comune* scelto, bool provinciaIndicata) {
    const std::u16string_view provincia = provinciaIndicata ? Provincia : std::u16string_view();
    Composizione esito = ComponiCampi({Cognome, Nome, Sesso, Luogo, provincia, DataNascita, scelto},
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
