// Decoding a typed code, and the municipality of a composition, over the real register.

#include <vector>

#include "engine/nodrel1.h"
#include "engine/persona.h"
#include "engine/testo.h"
#include "lists/scelte.h"
#include "register/comuni.h"
#include "register_support.h"

namespace {

using namespace prova;

// Today is fixed at 15 June 2026.
const std::chrono::year_month_day kOggi = std::chrono::year{2026} / std::chrono::June / 15;

class RegisterDecode : public ::testing::Test {
protected:
    static void SetUpTestSuite() { registro = nodrel::ApriRegistro(RegistroVero().u16string()); }
    static void TearDownTestSuite() { registro.reset(); }

    // What decoding gives, as the main window would show it: the fields it fills, in order.
    static std::u16string Estrai(const std::u16string& codice) {
        const NODREL1::Decodificato esito = NODREL1::Decodifica(codice, registro.get(), kOggi);
        if (!esito.dati) {
            return u"non valido";
        }
        const NODREL1::DatiCodice& d = *esito.dati;
        std::u16string campi = d.cognome + u" " + d.nome + u" " + (d.donna ? u"F " : u"M ") +
                               d.data + u" " + d.catastale;
        return esito.comune == nullptr
                   ? campi + u" non in elenco"
                   : campi + u" " + esito.comune->nome + u" " + esito.comune->provincia;
    }

    static inline std::shared_ptr<const NODREL1::Registro> registro;
};

// Check characters worked out by hand from the character values.
TEST_F(RegisterDecode, RightCodesGiveTheirDataAndMunicipality) {
    const std::u16string roma = u"RSS MRA M 01/01/1980 H501 ROMA RM";
    const std::u16string usa = u"BNC LRA F 01/08/1985 Z404 STATI UNITI D'AMERICA EE";
    const struct {
        std::u16string codice, atteso;
    } casi[] = {
        {u"RSSMRA80A01H501U", roma},
        {u"RSS MRA 80A01 H501 U", roma},
        {u"  rssmra80 a01h501u ", roma},
        {u"RSSMRA80A01H50MM", roma},  // omocodes give the data of their all-digit form
        {u"RSSMRAULALMHRLMD", roma},
        {u"BNCLRA85M41Z404W", usa},
        // Ceased in 1927: the century in which the code was in force.
        {u"VRDGPP13A01M206Q", u"VRD GPP M 01/01/1913 M206 ZURI CA"},
        {u"RSSMRA20A01A744Q", u"RSS MRA M 01/01/1920 A744 BELLAGIO CO"},
        {u"RSSMRA80A01H499" + NODREL1::CarattereControllo(u"RSSMRA80A01H499"),
         u"RSS MRA M 01/01/1980 H499 non in elenco"},
    };
    for (const auto& c : casi) {
        SCOPED_TRACE(NODREL1::Utf8(c.codice));
        EXPECT_EQ(Estrai(c.codice), c.atteso);
    }
    for (const std::u16string codice : {u"RSSMRA80A01H501V", u"RSS MRA 80A01 H501 A", u" ", u"",
                                        u"RSSMRA80A01H501", u"RSSMRA80Z01H501Q", u"01234567897"}) {
        SCOPED_TRACE(NODREL1::Utf8(codice));
        EXPECT_EQ(Estrai(codice), u"non valido");
    }
    // Without a register the data still come, and the outcome says there was none.
    const auto senza = NODREL1::Decodifica(u"RSSMRA80A01H501U", nullptr, kOggi);
    EXPECT_TRUE(senza.dati && !senza.registro && senza.comune == nullptr);
}

TEST_F(RegisterDecode, DayMonthSexAndCentury) {
    const struct {
        std::u16string anno, mese, giorno, sesso, data;
    } casi[] = {
        {u"80", u"A", u"41", u"F", u"01/01/1980"}, {u"80", u"A", u"01", u"M", u"01/01/1980"},
        {u"05", u"T", u"71", u"F", u"31/12/2005"}, {u"80", u"A", u"31", u"M", u"31/01/1980"},
        {u"80", u"A", u"55", u"F", u"15/01/1980"}, {u"80", u"C", u"15", u"M", u"15/03/1980"},
        {u"80", u"S", u"15", u"M", u"15/11/1980"}, {u"30", u"A", u"01", u"M", u"01/01/1930"},
        {u"26", u"H", u"15", u"M", u"15/06/2026"},  // today
        {u"26", u"H", u"16", u"M", u"16/06/1926"},  // tomorrow would be ahead
        {u"80", u"A", u"LM", u"M", u"01/01/1980"},  // omocode letters in the day
        {u"80", u"A", u"QM", u"F", u"01/01/1980"},
    };
    for (const auto& c : casi) {
        const std::u16string base = u"RSSMRA" + c.anno + c.mese + c.giorno + u"H501";
        SCOPED_TRACE(NODREL1::Utf8(base));
        EXPECT_EQ(Estrai(base + NODREL1::CarattereControllo(base)),
                  u"RSS MRA " + c.sesso + u" " + c.data + u" H501 ROMA RM");
    }
}

// The letters shown compose back to the same group: a filler X is left out where it is one.
TEST_F(RegisterDecode, LettersComposeBackToTheirGroup) {
    const struct {
        std::u16string gruppi, cognome, nome;
    } casi[] = {
        {u"FOXLCU", u"FO", u"LCU"},
        {u"OXXEUA", u"O", u"EUA"},
        {u"XXXDXX", u"X", u"D"},
        {u"RSXMXX", u"RS", u"M"},
    };
    for (const auto& c : casi) {
        const std::u16string base = c.gruppi + u"66C17F205";
        SCOPED_TRACE(NODREL1::Utf8(base));
        const auto dati = NODREL1::LeggiCodice(base + NODREL1::CarattereControllo(base), kOggi);
        ASSERT_TRUE(dati);
        EXPECT_EQ(dati->cognome, c.cognome);
        EXPECT_EQ(dati->nome, c.nome);
        EXPECT_EQ(NODREL1::CodiceCognome(c.cognome), c.gruppi.substr(0, 3));
        EXPECT_EQ(NODREL1::CodiceNome(c.nome), c.gruppi.substr(3, 3));
    }
}

// The municipality a code is composed with is the one of the name shown in force on the birth
// date, in the province given when one of its records has it; a record the user chose stands; a
// code not in force that day is used with a warning.
TEST_F(RegisterDecode, CompositionTakesTheMunicipalityOfTheBirthDate) {
    const struct {
        std::u16string comune, provincia, data, scelto, atteso;
        bool avviso = false;
        std::u16string provinciaUsata = u"";
        bool omonimo = false;
    } casi[] = {
        {u"BELLIZZI", u"SA", u"01/01/1930", u"", u"A753", false, u"AV"},  // the only one then
        {u"BELLIZZI", u"", u"1/1/30", u"", u"A753", false, u"AV"},
        {u"CASTRO", u"LE", u"01/01/1970", u"", u"M261", true, u"LE"},
        {u"CIVENNA", u"CO", u"01/01/2020", u"", u"C754", true, u"CO"},  // merged in 2014
        {u"MILANO", u"LE", u"01/01/1980", u"", u"F205", false, u"MI"},
        {u"BELLAGIO", u"", u"01/01/1950", u"", u"A744"},  // merged in 2014: a new code
        {u"BELLAGIO", u"CO", u"2015-01-01", u"", u"M335"},
        {u"BELLAGIO", u"", u"01/01/2015", u"A744", u"A744", true},  // the user's choice stands
        {u"LONGARONE", u"BL", u"01.01.1960", u"", u"E672"},
        {u" montalcino ", u"si", u"01/01/1980", u"", u"F402"},
        {u"CASTRO", u"LE", u"01/01/1980", u"", u"M261"},  // two towns of one name
        {u"CASTRO", u"", u"01/01/1980", u"", u"C337", false, u"BG", true},
        {u"CASTRO", u"", u"01/01/1980", u"M261", u"M261"},
        {u"CASTRO", u"LE", u"01/01/1950", u"", u"M261", true},  // none yet: not Bergamo's
        {u"SAN TEODORO", u"SS", u"01/01/1980", u"", u"I329"},
        {u"SAN TEODORO", u"", u"01/01/1935", u"", u"I328", true, u"ME"},  // suppressed 1929-40
        // Suppressed from 1928 to 1964: the only LA VALLE of 1930 is today's LA VALLE AGORDINA.
        {u"LA VALLE", u"", u"27/07/1930", u"", u"E490", false, u"BL"},
        {u"LA VALLE", u"", u"27/07/1970", u"", u"E491", false, u"BZ"},
        {u"LA VALLE", u"", u"27/07/1930", u"E491", u"E491", true},
        {u"forlì", u"", u"01/01/1980", u"", u"D704"},
        {u"REGGIO EMILIA", u"", u"01/01/1980", u"", u"H223"},  // the name people use
        {u"RO", u"RM", u"01/01/1980", u"H501", u"H360"},       // the name shown, not the one chosen
        {u"SAN", u"", u"01/01/1980", u"", u""},  // only the beginning of names: refused
        {u"", u"RM", u"01/01/1980", u"H501", u""},
    };
    // A list's rows choose once for each name and the records in force: one learnt for 1930
    // must not answer for 1970.
    nodrel::Scelte scelte;
    for (const auto& c : casi) {
        SCOPED_TRACE(NODREL1::Utf8(c.comune + u" " + c.data));
        const int giorno = NODREL1::DataNascitaAscii(NODREL1::Utf8(c.data), kOggi);
        if (c.scelto.empty() && giorno != 0) {
            const NODREL1::SceltaComune& s = scelte.Scegli(
                *registro, NODREL1::Utf8(c.comune), NODREL1::Utf8(c.provincia), giorno, kOggi);
            EXPECT_EQ(s.comune != nullptr ? s.comune->codice : u"", c.atteso);
            EXPECT_EQ(s.nonInVigore, c.avviso);
            EXPECT_EQ(s.omonimo, c.omonimo);
        }
        const NODREL1::Persona p{u"ROSSI",
                                 u"MARIO",
                                 u"M",
                                 c.comune,
                                 c.provincia,
                                 c.data,
                                 c.scelto.empty() ? nullptr : registro->PerCodice(c.scelto)};
        const NODREL1::Composizione esito = NODREL1::Componi(p, registro.get(), kOggi);
        EXPECT_EQ(esito.rifiuto.has_value(), c.atteso.empty());
        EXPECT_EQ(esito.comune != nullptr ? esito.comune->codice : u"", c.atteso);
        EXPECT_EQ(esito.codice.substr(std::min<std::size_t>(esito.codice.size(), 14), 4), c.atteso);
        EXPECT_EQ(esito.nonInVigore, c.avviso);
        EXPECT_EQ(esito.omonimo, c.omonimo);
        if (!c.provinciaUsata.empty()) {
            EXPECT_EQ(esito.comune->provincia, c.provinciaUsata);
        }
        if (esito.rifiuto) {
            EXPECT_EQ(esito.rifiuto->messaggio,
                      c.comune.empty() ? NODREL1::kMsgLuogoErrato : NODREL1::kMsgComuneNonInElenco);
        }
    }
}

}  // namespace
