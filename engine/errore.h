#pragma once

#include <exception>
#include <string>

namespace NODREL1 {

// A step that cannot be carried out raises one of these: a number and a description, which the
// error traps show to the user as "FasMsg: <number> <description>".
class Errore : public std::exception {
public:
    Errore(long numero, std::u16string descrizione)
        : numero_(numero), descrizione_(std::move(descrizione)) {}

    long Numero() const noexcept { return numero_; }
    const std::u16string& Descrizione() const noexcept { return descrizione_; }
    const char* what() const noexcept override { return "NODREL1::Errore"; }

private:
    long numero_;
    std::u16string descrizione_;
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
inline constexpr long kErrNessunIndice = 3019;
inline constexpr long kErrNessunRecordCorrente = 3021;
inline constexpr long kErrTabellaSconosciuta = 3078;
inline constexpr long kErrColonnaSconosciuta = 3265;

// The text of the error traps' message box.
std::u16string FasMsg(const Errore& errore);

}  // namespace NODREL1
