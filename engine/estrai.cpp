// Decoding a typed code back into the data of a person and the record of the municipality.

#include <array>
#include <atomic>

#include "engine/esame.h"
#include "engine/interno.h"
#include "engine/nodrel1.h"

namespace NODREL1 {

namespace {

// The letters as decoding shows them: a trailing filler X is left out wherever the letters
// without it give the same group again (FOX is the surname FO), so that composing straight
// after decoding gives the same code.
std::u16string SenzaRiempitivo(const std::u16string& gruppo,
                               std::u16string (*codifica)(const std::u16string&)) {
    // X is a consonant too, so OX is no shorter form of OXX; each shorter form is tried.
    std::u16string lettere = gruppo;
    std::u16string prova = gruppo;
    while (prova.size() > 1 && prova.back() == u'X') {
        prova.pop_back();
        if (codifica(prova) == gruppo) {
            lettere = prova;
        }
    }
    return lettere;
}

std::u16string DueCifre(int n) {
    return {static_cast<char16_t>(u'0' + n / 10), static_cast<char16_t>(u'0' + n % 10)};
}

}  // namespace

std::size_t LettereDecodificate(Gruppo gruppo, const char* tre) {
    const auto a = static_cast<unsigned char>(tre[0] - 'A');
    const auto b = static_cast<unsigned char>(tre[1] - 'A');
    if (tre[2] != 'X' || a >= 26 || b >= 26) {
        return 3;
    }
    // Only a group that ends in X can show fewer: each of those is worked out once, by whichever
    // thread meets it first (0 until then).
    static std::array<std::atomic<std::uint8_t>, 2 * 26 * 26> lunghezze{};
    const bool nome = gruppo == Gruppo::Nome;
    std::atomic<std::uint8_t>& n = lunghezze[(nome ? 26 * 26 : 0) + a * 26 + b];
    std::uint8_t quante = n.load(std::memory_order_relaxed);
    if (quante == 0) {
        const std::u16string lettere{static_cast<char16_t>(tre[0]), static_cast<char16_t>(tre[1]),
                                     u'X'};
        quante = static_cast<std::uint8_t>(
            SenzaRiempitivo(lettere, nome ? CodiceNome : CodiceCognome).size());
        n.store(quante, std::memory_order_relaxed);
    }
    return quante;
}

unsigned SecoloDecodificato(std::uint32_t, std::uint32_t data, const Registro*,
                            std::chrono::year_month_day oggi) {
    // The code keeps two digits of the year.
    const GiornoDelCodice g = GiornoDi(data);
    const unsigned oggiNumero = static_cast<unsigned>(static_cast<int>(oggi.year())) * 10000 +
                                static_cast<unsigned>(oggi.month()) * 100 +
                                static_cast<unsigned>(oggi.day());
    return (2000 + g.anno) * 10000 + g.mese * 100 + g.giorno <= oggiNumero ? 20 : 19;
}

std::optional<DatiCodice> LeggiCodice(std::u16string_view codice) {
    return LeggiCodice(codice, Oggi());
}

std::optional<DatiCodice> LeggiCodice(std::u16string_view codice,
                                      std::chrono::year_month_day oggi) {
    const Esame esame = EsaminaCodice(codice);
    if (!esame.Corretto() || esame.numerico) {
        return std::nullopt;
    }
    const std::u16string testo = SenzaOmocodia(CodiceNormale(codice));
    DatiCodice d;
    d.cognome = SenzaRiempitivo(testo.substr(0, 3), CodiceCognome);
    d.nome = SenzaRiempitivo(testo.substr(3, 3), CodiceNome);
    // Women's days are raised by 40.
    int giorno = (testo[9] - u'0') * 10 + (testo[10] - u'0');
    d.donna = giorno > 40;
    if (d.donna) {
        giorno -= 40;
    }
    const int mese = static_cast<int>(kLettereMese.find(testo[8])) + 1;
    const int anno = (testo[6] - u'0') * 10 + (testo[7] - u'0');
    // The municipality and the date as a list's key holds them.
    auto cifre = [&testo](std::size_t i, std::size_t n) {
        std::uint32_t v = 0;
        for (std::size_t k = i; k < i + n; ++k) {
            v = v * 10 + static_cast<std::uint32_t>(testo[k] - u'0');
        }
        return v;
    };
    const std::uint32_t comune = static_cast<std::uint32_t>(testo[11] - u'A') * 1000 + cifre(12, 3);
    const std::uint32_t data =
        cifre(6, 2) * 2600 + static_cast<std::uint32_t>(testo[8] - u'A') * 100 + cifre(9, 2);
    const auto secolo = static_cast<int>(SecoloDecodificato(comune, data, nullptr, oggi));
    d.data = DueCifre(giorno) + u"/" + DueCifre(mese) + u"/" + DueCifre(secolo) + DueCifre(anno);
    d.catastale = testo.substr(11, 4);
    return d;
}

Decodificato Decodifica(std::u16string_view codice, const Registro* registro,
                        std::chrono::year_month_day oggi) {
    Decodificato esito;
    esito.dati = LeggiCodice(codice, oggi);
    esito.registro = registro != nullptr;
    if (!esito.dati || registro == nullptr) {
        return esito;
    }
    DatiCodice& d = *esito.dati;
    esito.comune = registro->PerCodice(d.catastale);
    // A birth of this century where the code was no longer in force (or not yet) is one of the
    // last, when the code was in force then and the day exists (29 February 1900 does not).
    auto iso = [](const std::u16string& g) {
        return std::u16string{g[6], g[7], g[8], g[9], u'-', g[3], g[4], u'-', g[0], g[1]};
    };
    std::u16string prima = d.data;
    prima[7] = u'9';
    prima[6] = u'1';
    if (esito.comune != nullptr && d.data[6] == u'2' && d.data[7] == u'0' &&
        !InVigore(*registro, d.catastale, iso(d.data)) &&
        InVigore(*registro, d.catastale, iso(prima)) && LeggiDataNascita(prima, oggi).Valida()) {
        d.data = prima;
    }
    return esito;
}

}  // namespace NODREL1
