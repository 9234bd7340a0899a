#pragma once

// The results of a list as CSV, separated by semicolons, UTF-8: a text field is quoted when it
// needs it, and bytes that are no UTF-8 text become U+FFFD. Every line of a list's results is
// written here, whichever path judged its row.

#include <array>
#include <chrono>
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
class CodeDecodifica;
// riga;codice;cognome;nome;sesso;data;comune;provincia;codice_catastale, the fields empty for a
// code that carries nothing (a wrong one, or a numeric one).
void ScriviDecodifica(std::string& out, const VoceElenco& voce, CodeDecodifica& code);

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
    // The most the line of a right code met before takes.
    static constexpr std::size_t kMassimoDuplicato =
        1 + NODREL1::kLunghezzaPersonale + 64 + 20 + 64;
    // The same for a right code met first on line `prima`, with room for kMassimoDuplicato.
    char* ScriviDuplicato(char* o, const char* codice, NODREL1::Giudizio giudizio, Luogo luogo,
                          std::uint64_t prima) const;

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
    // A right code's tail met before, by omocode and municipality: before the number and after.
    std::array<std::array<Coda, 2>, 6> duplicati_{};
};

// What follows the code in decoding's line, written from the code's bytes and the register's
// record without the strings of NODREL1::DatiCodice: the municipality's name and province are put
// together once for each cadastral code, and the letters, sex and date are the engine's
// (LettereDecodificate, SecoloDecodificato). ScriviDecodifica writes every decoding line with it,
// and the threads that write runs of plain rows in place call it where they stand, for the
// municipalities the reading's own thread prepared.
class CodeDecodifica {
public:
    // `registro` may be null: the municipalities are then left empty.
    CodeDecodifica(const NODREL1::Registro* registro, std::chrono::year_month_day oggi);
    // A municipality (NODREL1::ComuneDellaChiave) looked up, before a line of it is written.
    void Prepara(std::uint32_t comune);
    bool Pronto(std::uint32_t comune) const { return lunghezza_[comune] != 0; }
    // The most a plain row's ";code;fields\n" of a municipality prepared takes, with bytes to
    // spare.
    std::size_t Massimo() const { return massimo_; }
    // Writes ";code;fields\n" of sixteen bytes judged as they stand at `o`, which has room for
    // Massimo() bytes: `comune` and `data` as GiudicaPersonale gives them for a right code.
    char* Scrivi(char* o, const char* codice, NODREL1::Giudizio giudizio, std::uint32_t comune,
                 std::uint32_t data) const;
    // The fields and the line end of a right personal code as sixteen capitals and digits.
    char* Campi(char* o, const char* sedici, std::uint32_t comune, std::uint32_t data) const;

private:
    static constexpr std::size_t kScorta = 64;
    void Aggiungi(std::uint32_t i, const NODREL1::Comune* comune);

    const NODREL1::Registro* registro_;
    std::chrono::year_month_day oggi_;
    // "comune;provincia;H501\n" of each municipality prepared, back to back, the names quoted as
    // a field needs (empty where the register lacks it), and kScorta bytes to spare; a length 0
    // is one not prepared.
    std::string luoghi_;
    std::vector<std::uint32_t> inizio_;
    std::vector<std::uint32_t> lunghezza_;
    std::size_t massimo_ = 0;
};

// A whole list's results as CSV, header first, handed to `scrivi` a block at a time (Svuota
// hands the rest). Decoding waits for the register at its first row.
class UscitaCsv : public Destinazione {
public:
    enum class Compito { Verifica, Decodifica, Componi };
    // Decoding reads a code's century against `oggi`.
    UscitaCsv(Compito compito, std::function<void(std::string_view)> scrivi,
              RegistroAtteso* registro = nullptr,
              std::chrono::year_month_day oggi = NODREL1::Oggi());

    void Voce(const VoceElenco& voce) override;
    const CodeVerifica* Code() const override;
    CodeDecodifica* Decodifiche() override;
    void Righe(std::string_view testo) override;
    void Svuota();

private:
    static constexpr std::size_t kBlocco = std::size_t{1} << 20;
    Compito compito_;
    std::function<void(std::string_view)> scrivi_;
    RegistroAtteso* registro_;
    std::chrono::year_month_day oggi_;
    std::string out_;
    std::optional<CodeVerifica> code_;
    std::optional<CodeDecodifica> decodifiche_;  // made at the first row, the register there
};

}  // namespace nodrel
