#pragma once

// A person's data as people type them, in the main window's fields or in a list's cells, turned
// into what the rules read. The window and the lists call these same functions, so that a person
// is judged the same wherever it was typed.

#include <array>
#include <chrono>
#include <string>
#include <string_view>

#include "engine/registro.h"

namespace NODREL1 {

// A blank of any kind: the space, tab and line breaks, the no-break spaces (U+00A0, U+2007,
// U+202F), the typographic spaces U+2000 to U+200A, U+3000, and the invisible U+200B, U+2060 and
// U+FEFF that text copied from web pages and spreadsheets brings along.
bool Spazio(char16_t c);

// The text without the blanks (Spazio) at either end; those inside stay.
std::u16string SenzaSpaziEsterni(std::u16string_view testo);

// A vowel with a grave or acute accent as the vowel and an apostrophe, as the register spells
// names (FORLÌ as FORLI', è as e'), precomposed or followed by a combining accent; a typographic
// apostrophe (’ ‘ ʼ ´ `) as '. Everything else stays, case included: it also runs key by key.
std::u16string AccentiComeApostrofi(std::u16string_view testo);

// A municipality's name as typed, in the register's spelling: outer blanks removed, accents as
// apostrophes, ASCII letters in capitals. "  Forlì " gives FORLI'.
std::u16string NomeComune(std::u16string_view testo);

// A sex as people write it, outer blanks aside and in either case: M or F, or the word
// (MASCHIO, MASCHILE, UOMO; FEMMINA, FEMMINILE, DONNA). u"M" or u"F"; empty for anything else.
std::u16string_view LeggiSesso(std::u16string_view testo);

// A date of birth as people type it. Accepted, outer blanks aside: day, month and year separated
// by "/", "." or "-" (1/2/1990, 01.02.1990, 01-02-1990), eight digits GGMMAAAA, AAAA-MM-GG as
// spreadsheets write it, and any of these with two digits of the year (15/03/80, 150380), whose
// century is the latest that does not put the date after `oggi`. A date that does not exist, or
// lies after `oggi`, is refused with its reason.
struct DataLetta {
    std::array<char16_t, 10> gg{};  // GG/MM/AAAA when accepted
    bool valida = false;
    // Why it was refused, for a text that is not empty: "formato non valido", "mese non
    // valido", "giorno non valido", "giorno non valido: aprile ha 30 giorni", "giorno non valido:
    // febbraio 1990 ha 28 giorni", "data successiva a oggi". Empty for an empty text.
    std::u16string motivo;

    bool Valida() const { return valida; }
    // GG/MM/AAAA; empty when refused.
    std::u16string_view Testo() const {
        return valida ? std::u16string_view(gg.data(), gg.size()) : std::u16string_view();
    }
};
DataLetta LeggiDataNascita(std::u16string_view testo, std::chrono::year_month_day oggi);

// The commonest forms of a date of birth read from bytes, for a list's people by the million:
// GG/MM/AAAA with any of the separators (a day or month of one digit too) and AAAA-MM-GG. The
// date as AAAAMMGG where LeggiDataNascita accepts the text; 0 for any other text, which only
// LeggiDataNascita can judge.
int DataNascitaAscii(std::string_view testo, std::chrono::year_month_day oggi);

// The municipality of a birth, from the name shown, the province given and the date of birth.
struct SceltaComune {
    // The record the code carries; nullptr when no municipality has the name (a text that only
    // begins a name is not that name).
    const Comune* comune = nullptr;
    // Its code was not in force on the date of birth: the tax office has issued such codes, so
    // it is used, and the user told.
    bool nonInVigore = false;
    // Municipalities of two codes bear the name on that date and nothing told them apart:
    // `comune` is the one the completion offers when it is among them.
    bool omonimo = false;
};
// `luogo` is read as NomeComune reads it; `provincia` is the province the user gave (typed in
// its field, or a list's cell), empty when none: the one a completion showed is no choice;
// `data` as LeggiDataNascita reads it; `scelto` is a record the user chose among the name's
// (Down and Up in the field, or a decoding), nullptr when none.
//  - A record chosen of the name shown stands, in force on the date or not.
//  - Else, among the name's records (those of the province given, when any has it), the one in
//    force on the date of birth, the completion's offer (the name's first record) before
//    others. When the province has none in force that day, the records of other provinces in
//    force that day, when they all carry one code since ceased (BELLIZZI of 1930 is A753 of
//    AV, though SA was given). When none is in force, the first, not in force.
//  - A name no record has gives none; without a date, the first record of the name.
SceltaComune ScegliComune(const Registro& registro, std::u16string_view luogo,
                          std::u16string_view provincia, std::u16string_view data,
                          const Comune* scelto, std::chrono::year_month_day oggi);

}  // namespace NODREL1
