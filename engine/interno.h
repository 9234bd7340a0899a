#pragma once

// Helpers shared by the engine's sources; not part of its public interface.

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace NODREL1 {

inline constexpr std::u16string_view kLettereMese = u"ABCDEHLMPRST";
// The letters that stand for 0 to 9 in an omocode.
inline constexpr std::u16string_view kOmocodici = u"LMNPQRSTUV";

// `lunghezza` characters from the 1-based position `inizio`, fewer or none past the end.
inline std::u16string Mid(std::u16string_view testo, std::size_t inizio, std::size_t lunghezza) {
    if (inizio == 0 || inizio > testo.size()) {
        return {};
    }
    return std::u16string(testo.substr(inizio - 1, lunghezza));
}

// The month number that characters 4 and 5 of a date start with, after leading blanks; 0 when
// they start with no digit.
int MeseDellaData(const std::u16string& data);

// A date GG/MM/AAAA (separators "/", "-" or ".") that exists in the calendar; today is not
// looked at.
std::optional<std::chrono::year_month_day> LeggiData(std::u16string_view data);

// The digit a date or municipality character of a code stands for (itself, or the digit of
// an omocode letter); -1 for anything else.
int CifraOmocodice(char16_t c);

class Finestra;
// The connected main window; raises an Errore when none is loaded.
Finestra& FinestraPrincipale();

}  // namespace NODREL1
