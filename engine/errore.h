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

// Numbers of the errors the program raises itself; the register adds SQLite's result codes.
inline constexpr long kErrRegistroNonAperto = 91;
inline constexpr long kErrIndiceSconosciuto = 3015;
inline constexpr long kErrColonnaSconosciuta = 3265;
inline constexpr long kErrValoreMancante = 94;
inline constexpr long kErrFinestraNonCaricata = 364;

// The text of the error traps' message box.
std::u16string FasMsg(const Errore& errore);

}  // namespace NODREL1
