#pragma once

// The results of a list as CSV, separated by semicolons, UTF-8: a text field is quoted when it
// needs it, and bytes that are no UTF-8 text become U+FFFD. Every line of a list's results is
// written here, whichever path judged its row.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/esame.h"
#include "lists/registro_atteso.h"
#include "lists/voce.h"

namespace nodrel {

inline constexpr std::string_view kIntestazioneVerifica = "riga;codice;esito;motivo\n";
inline constexpr std::string_view kIntestazioneDecodifica =
    "riga;codice;cognome;nome;sesso;data;comune;provincia;codice_catastale\n";
inline constexpr std::string_view kIntestazioneComponi =
    "riga;cognome;nome;sesso;data;comune;provincia;codice\n";

// CORRETTO, ERRATO or NON CORRISPONDE.
std::string_view Esito(const VoceElenco& voce);
// Why a code is wrong, or the notes on a right one ("omocodico, duplicato della riga 3", "codice
// calcolato"); empty for a plain right code.
std::string Motivo(const VoceElenco& voce);
// One field of a line, quoted when it needs it.
void ScriviCampo(std::string& out, std::string_view testo);

// riga;codice;esito;motivo
void ScriviVerifica(std::string& out, const VoceElenco& voce);
// The same line from what a table of results keeps of it.
void ScriviVerifica(std::string& out, std::uint64_t riga, std::string_view codice,
                    std::string_view esito, std::string_view motivo);
// riga;cognome;nome;sesso;data;comune;provincia;codice, the reason in the code's place when none
// could be composed.
void ScriviComponi(std::string& out, const VoceElenco& voce);
// riga;codice;cognome;nome;sesso;data;comune;provincia;codice_catastale: `dati` is null for a
// code that carries nothing (a wrong one, or a numeric one); `comune` and `provincia` come from
// the register, empty when it has nothing.
void ScriviDecodifica(std::string& out, const VoceElenco& voce, const NODREL1::DatiCodice* dati,
                      std::u16string_view comune, std::u16string_view provincia);

// "N codici: C corretti, E errati, D duplicati", singular where a count is one, the counts with
// the Italian thousands separator; the counts that are nought are left out ("1 codice: 1
// corretto").
std::string TestoRiepilogo(const Riepilogo& r);

// What follows the number in the verification line of a plain row (sixteen bytes judged as they
// stand), for each outcome they can have: made once, by ScriviVerifica itself, so that a line
// written in place reads as any other.
class CodeVerifica {
public:
    CodeVerifica();
    // The most a line's ";code;tail" takes.
    static constexpr std::size_t kMassimo = 1 + NODREL1::kLunghezzaPersonale + 64;
    // Writes ";code;esito;motivo\n" at `o`, which has room for kMassimo bytes: a right code's
    // municipality `luogo`; where it ends.
    char* Scrivi(char* o, const char* codice, NODREL1::Giudizio giudizio, Luogo luogo) const;

private:
    struct Coda {
        char testo[64];
        std::size_t lunghezza;
    };
    // In order: a right code by its municipality (Luogo), a wrong month, a wrong day, a wrong
    // check letter by the one expected; the same again for an omocode.
    static constexpr std::size_t kGiusto = 0;
    static constexpr std::size_t kMese = 3;
    static constexpr std::size_t kGiorno = 4;
    static constexpr std::size_t kControllo = 5;
    static constexpr std::size_t kPerGruppo = kControllo + 26;
    static constexpr std::size_t kCode = 2 * kPerGruppo;
    static std::size_t Dove(NODREL1::Difetto difetto, bool omocodico, Luogo luogo, char16_t atteso);
    std::array<Coda, kCode> code_{};
};

// A whole list's results as CSV, header first, handed to `scrivi` a block at a time (Svuota
// hands the rest). Decoding looks each municipality up once in the register, which it waits for
// at its first right code.
class UscitaCsv : public Destinazione {
public:
    enum class Compito { Verifica, Decodifica, Componi };
    UscitaCsv(Compito compito, std::function<void(std::string_view)> scrivi,
              RegistroAtteso* registro = nullptr);

    void Voce(const VoceElenco& voce) override;
    const CodeVerifica* Code() const override;
    void Righe(std::string_view testo) override;
    void Svuota();

private:
    static constexpr std::size_t kBlocco = std::size_t{1} << 20;
    Compito compito_;
    std::function<void(std::string_view)> scrivi_;
    RegistroAtteso* registro_;
    std::string out_;
    std::optional<CodeVerifica> code_;
    // Decoding: the name and province of each municipality asked, by its number.
    std::vector<std::optional<std::pair<std::u16string, std::u16string>>> comuni_;
};

}  // namespace nodrel
