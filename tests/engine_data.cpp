// Birth date and sex code, and the date check.

#include <gtest/gtest.h>

#include <string>

#include "engine/nodrel1.h"
#include "engine/persona.h"
#include "engine/testo.h"

namespace {

using NODREL1::CodiceDataSesso;
using NODREL1::ControllaData;

TEST(CodiceDataSesso, YearMonthLetterAndDay) {
    struct Caso {
        std::u16string data;
        std::u16string sesso;
        std::u16string atteso;
        const char* perche;
    };
    const Caso casi[] = {
        {u"17/03/1966", u"M", u"66C17", "year, month letter, day"},
        {u"05/11/1980", u"F", u"80S45", "a woman's day is raised by 40"},
        {u"31/12/1999", u"F", u"99T71", "highest day for a woman"},
        {u"09/06/1966", u"F", u"66H49", "June is H"},
        {u"01/01/2000", u"M", u"00A01", "year 2000 gives 00"},
        {u"10/10/1910", u"F", u"10R50", "first day digit 1 becomes 5"},
        {u"08/08/1988", u"M", u"88M08", "08 is eight, not octal"},
        {u"09/09/1999", u"M", u"99P09", "09 is nine, not octal"},
        {u"17/03/1966", u"", u"66C17", "no sex is male"},
        {u"17/03/1966", u"f", u"66C17", "only upper-case F is female"},
        {u"17/03/1966", u"F ", u"66C17", "only exactly F is female"},
        {u"01/ 3/1980", u"M", u"80C01", "leading blank before the month digit"},
        {u"01/3/1980", u"M", u"80C01", "the month number stops at the first non-digit"},
        {u"25/04/45", u"M", u"45D25", "the year is the text's last two characters"},
    };
    for (const Caso& c : casi) {
        SCOPED_TRACE(c.perche);
        EXPECT_EQ(CodiceDataSesso(c.data, c.sesso), c.atteso);
    }
}

// The compose command does not require a confirmed date, so any text can get here.
TEST(CodiceDataSesso, NeverFailsOnOddText) {
    for (const std::u16string data : {u"", u"1", u"AB", u"01/13/1980", u"01/00/1980", u"xx/yy/zzzz",
                                      u"\uFFFF1/01/1980", u"\u00E0\u00E8/\u00EC\u00F2/\u00F9"}) {
        for (const std::u16string sesso : {u"M", u"F"}) {
            std::u16string risultato;
            EXPECT_NO_THROW(risultato = CodiceDataSesso(data, sesso));
            EXPECT_LE(risultato.size(), 5u);
        }
    }
}

TEST(ControllaData, DayLimitOfEveryMonth) {
    struct Mese {
        std::u16string mese;
        std::u16string ultimo;
        std::u16string oltre;
    };
    const Mese mesi[] = {
        {u"01", u"31", u"32"}, {u"02", u"28", u"29"}, {u"03", u"31", u"32"}, {u"04", u"30", u"31"},
        {u"05", u"31", u"32"}, {u"06", u"30", u"31"}, {u"07", u"31", u"32"}, {u"08", u"31", u"32"},
        {u"09", u"30", u"31"}, {u"10", u"31", u"32"}, {u"11", u"30", u"31"}, {u"12", u"31", u"32"},
    };
    for (const Mese& m : mesi) {
        SCOPED_TRACE(std::string(m.mese.begin(), m.mese.end()));
        EXPECT_TRUE(ControllaData(m.ultimo + u"/" + m.mese + u"/1990"));
        EXPECT_FALSE(ControllaData(m.oltre + u"/" + m.mese + u"/1990"));
    }
}

// A date of birth as people type it: written GG/MM/AAAA, or refused with its reason.
TEST(LeggiDataNascita, TheFormsPeopleTypeAndWhyADateIsRefused) {
    using namespace std::chrono;
    struct Caso {
        std::u16string data;
        std::u16string atteso;  // GG/MM/AAAA, or the reason of the refusal
        const char* perche;
    };
    const Caso casi[] = {
        {u"29/02/2000", u"29/02/2000", "2000 is a leap year"},
        {u"29/02/2024", u"29/02/2024", "so is 2024"},
        {u"29/02/1900", u"giorno non valido: febbraio 1900 ha 28 giorni", "1900 is not"},
        {u"30/02/1992", u"giorno non valido: febbraio 1992 ha 29 giorni", "nor is 30 February"},
        {u"31/04/1990", u"giorno non valido: aprile ha 30 giorni", "April has 30 days"},
        {u"00/01/1980", u"giorno non valido", "no day 0"},
        {u"32/01/1980", u"giorno non valido", "nor 32"},
        {u"01/00/1980", u"mese non valido", "no month 0"},
        {u"01/13/1980", u"mese non valido", "no month 13"},
        {u"01/01/19AB", u"formato non valido", "the year is digits"},
        {u"1A/01/1990", u"formato non valido", "the day is digits"},
        {u"01 01 1990", u"formato non valido", "a blank is no separator"},
        {u"01/01/19900", u"formato non valido", "a year of five digits"},
        {u"01/01/199", u"formato non valido", "or three"},
        {u"01//1990", u"formato non valido", "a month missing"},
        {u"01/01/1990/", u"formato non valido", "a fourth part"},
        {u"01-01-1990", u"01/01/1990", "hyphens separate too"},
        {u"01.01.1990", u"01/01/1990", "and dots"},
        {u"1/2/1990", u"01/02/1990", "one digit for the day and the month"},
        {u"01021990", u"01/02/1990", "eight digits"},
        {u"1990-02-01", u"01/02/1990", "as spreadsheets write it"},
        {u"  01/02/1990	", u"01/02/1990", "blanks of every kind around it"},
        {u"15/03/80", u"15/03/1980", "two digits of the year: the century not ahead"},
        {u"15/06/24", u"15/06/2024", "today"},
        {u"16/06/24", u"16/06/1924", "tomorrow would be ahead"},
        {u"150380", u"15/03/1980", "six digits"},
        {u"15/06/2024", u"15/06/2024", "today itself"},
        {u"16/06/2024", u"data successiva a oggi", "tomorrow"},
        {u"", u"", "empty: no reason, the message says it is missing"},
        {u"   ", u"", "blanks only"},
    };
    int letti = 0;
    for (const Caso& c : casi) {
        SCOPED_TRACE(c.perche);
        const NODREL1::DataLetta d = NODREL1::LeggiDataNascita(c.data, year{2024} / June / 15);
        EXPECT_EQ(d.Valida() ? std::u16string(d.Testo()) : d.motivo, c.atteso);
        EXPECT_EQ(ControllaData(c.data, year{2024} / June / 15), d.Valida());
        // A list's reading of the commonest forms from bytes tells the same date or none.
        const int ascii = NODREL1::DataNascitaAscii(NODREL1::Utf8(c.data), year{2024} / June / 15);
        const std::u16string t(d.Testo());
        EXPECT_EQ(ascii != 0 ? NODREL1::Utf16(std::to_string(ascii % 100 + 100).substr(1) + "/" +
                                              std::to_string(ascii / 100 % 100 + 100).substr(1) +
                                              "/" + std::to_string(ascii / 10000))
                             : t,
                  t);
        letti += ascii != 0;
    }
    EXPECT_EQ(letti, 7) << "the forms with separators and a year of four digits";
}

}  // namespace
