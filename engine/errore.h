#pragma once

#include <exception>
#include <string>

namespace NODREL1 {

// A step that cannot be carried out raises one of these: a number and a description, which the
// error traps show to the user as "FasMsg: <number> <description>".
class Errore : public std::exception {
public:
    Errore(long numero, std::u16string descrizione);

    long Numero() const noexcept { return numero_; }
    const std::u16string& Descrizione() const noexcept { return descrizione_; }
    // The number and the description in UTF-8, for whatever catches a std::exception.
    const char* what() const noexcept override { return messaggio_.c_str(); }

private:
    long numero_;
    std::u16string descrizione_;
    std::string messaggio_;
};

// The numbers of the errors the program raises itself, all of them: the error traps show them
// to the user. A failure that SQLite reports carries SQLite's primary result code instead (14
// cannot open, 26 not a database, 11 damaged, ...), given by the register.
inline constexpr long kErrMemoriaEsaurita = 7;  // caught by an error trap as std::bad_alloc
inline constexpr long kErrInterno = 51;         // any other exception an error trap catches
inline constexpr long kErrRegistroNonAperto = 91;
inline constexpr long kErrValoreMancante = 94;
inline constexpr long kErrFinestraNonCaricata = 364;
inline constexpr long kErrIndiceSconosciuto = 3015;
inline constexpr long kErrTabellaSconosciuta = 3078;
inline constexpr long kErrColonnaSconosciuta = 3265;

// The text of the error traps' message box.
std::u16string FasMsg(const Errore& errore);

}  // namespace NODREL1
