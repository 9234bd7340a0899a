#pragma once

// The fiscal-code engine. One character is one UTF-16 unit; all comparisons are by character code.

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/errore.h"
#include "engine/persona.h"
#include "engine/registro.h"

namespace NODREL1 {

// Code groups. The letter groups read letters only, each as its upper-case ASCII base letter
// (NICOLÒ as NICOLO, D'AMICO as DAMICO); a text without a letter gives the filler "XX" alone.
std::u16string CodiceCognome(const std::u16string& cognome);
std::u16string CodiceNome(const std::u16string& nome);
std::u16string CodiceDataSesso(const std::u16string& data, const std::u16string& sesso);
// True for a date of birth as LeggiDataNascita accepts it, against today (the clock's, or `oggi`).
bool ControllaData(const std::u16string& data);
bool ControllaData(const std::u16string& data, std::chrono::year_month_day oggi);
std::u16string CarattereControllo(const std::u16string& codice);
std::u16string TogliSpazi(const std::u16string& testo);
// One capital letter and three digits, the shape of every cadastral code.
bool CodiceCatastale(std::u16string_view codice);

// Today's date in the local calendar, from the clock.
std::chrono::year_month_day Oggi();

// What is wrong with a typed code, if anything.
enum class Difetto {
    Nessuno,
    Lunghezza,  // neither 16 characters nor 11 starting with a digit
    Carattere,  // a character not allowed at its position
    Mese,       // a letter that is no month
    Giorno,     // a day its month does not have, in 01-31 or, for a woman, 41-71
    Controllo,  // the check character (or digit) is not the right one
};

struct Esame {
    Difetto difetto = Difetto::Nessuno;
    int posizione = 0;               // Carattere: its position, from 1, once blanks are removed
    std::optional<char16_t> atteso;  // Controllo: the right check character (or digit)
    bool numerico = false;   // eleven digits: a company's code, or a provisional personal one
    bool omocodico = false;  // letters stand for digits in the date or the municipality
    bool Corretto() const { return difetto == Difetto::Nessuno; }
};

// Judges a typed code; blanks anywhere and lower-case letters are accepted. A personal code has
// letters at positions 1-6, 9, 12 and 16, a month letter at 9, digits (or the omocode letters
// L-V) at 7, 8, 10, 11 and 13-15, a day that its month has (plus 40 for a woman; February
// has 29 days when the year's two digits are divisible by 4) and its check letter.
Esame EsaminaCodice(std::u16string_view codice);
// What a right personal code carries.
struct DatiCodice {
    std::u16string cognome;  // the surname letters; a filler X is left out where it is one
    std::u16string nome;     // the given-name letters, likewise
    bool donna = false;
    std::u16string data;       // GG/MM/AAAA, in the century that puts it latest, not ahead
    std::u16string catastale;  // the municipality's code, omocode letters read as digits
};
// Decodes a right personal code; nullopt for anything else, numeric codes included. The
// century is read against today (the clock's, or `oggi`).
std::optional<DatiCodice> LeggiCodice(std::u16string_view codice);
std::optional<DatiCodice> LeggiCodice(std::u16string_view codice, std::chrono::year_month_day oggi);

// The code as the rules read it: blanks removed, letters in upper case.
std::u16string CodiceNormale(std::u16string_view codice);
// A personal code with the omocode letters of its date and municipality read as digits.
std::u16string SenzaOmocodia(std::u16string codice);

// The main window's fields, as an outcome names them.
enum class Campo { Text1, Text2, Text3, Text5, Text6, Text7, Text8 };

// A person as the main window's fields (or a list's cells) give it, read by the functions of
// engine/persona.h.
struct Persona {
    std::u16string cognome;
    std::u16string nome;
    std::u16string sesso;      // "F" for a woman, anything else for a man
    std::u16string luogo;      // the municipality's name as it stands in its field
    std::u16string provincia;  // the province the user gave; empty when none (ScegliComune)
    std::u16string data;       // the date of birth as typed (LeggiDataNascita)
    // The record the user chose among the name's (Down and Up, a decoding); nullptr lets the
    // name, the province and the date choose. A record of another name is not used.
    const Comune* comune = nullptr;
};

// Why a code cannot be composed: the message, the field to mend, and for a date the reason
// ("giorno non valido: aprile ha 30 giorni"), shown on a line of its own.
struct Rifiuto {
    std::u16string_view messaggio;
    Campo campo = Campo::Text2;
    std::u16string motivo;
};
// The message with its reason, if any, on a second line.
std::u16string TestoRifiuto(const Rifiuto& rifiuto);

struct Composizione {
    std::u16string codice;           // display form: RSS MRA 80A01 H501 U
    const Comune* comune = nullptr;  // the record whose cadastral code the code carries
    std::optional<Rifiuto> rifiuto;  // set when nothing was composed
    // The code carried was not in force on the birth date: composed all the same, since the tax
    // office has issued such codes, but the user is told.
    bool nonInVigore = false;
    // Two municipalities of the name were in force that day, and nothing told them apart.
    bool omonimo = false;
};

// Composes a person's code. Each refusal names the first field to mend, in the order the fields
// are filled in: a surname or name without a letter; an empty municipality
// (kMsgLuogoErrato), or a name the register does not have (kMsgComuneNonInElenco; without a
// register, kMsgLuogoErrato); a date LeggiDataNascita refuses, with its reason. The municipality
// is ScegliComune's; `registro` may be null, and then only a record chosen of the name serves.
Composizione Componi(const Persona& persona, const Registro* registro,
                     std::chrono::year_month_day oggi);

// Whether a cadastral code was in force on a day (YYYY-MM-DD) under any of its names.
bool InVigore(const Registro& registro, std::u16string_view codice, std::u16string_view giorno);

// Whether a code belongs to its person: the code composed from the person's data set against a
// typed one, group by group. An omocode of the composed code corresponds. This is the one
// comparison of a code with the data it should carry, for the main window and the lists alike.
enum class Gruppo { Cognome, Nome, DataSesso, Comune, Controllo };
// "cognome", "nome", "data di nascita e sesso", "comune di nascita", "carattere di controllo"
std::u16string_view NomeGruppo(Gruppo gruppo);

struct Differenza {
    Gruppo gruppo;
    std::u16string atteso;  // the composed code's group
};

struct Corrispondenza {
    std::optional<Rifiuto> rifiuto;  // the data cannot be composed: nothing was compared
    Esame esame;                     // the typed code as verification judges it
    std::u16string atteso;           // the code composed, display form
    std::vector<Differenza> differenze;
    // The groups were compared and none differs.
    bool Corrisponde() const { return !rifiuto && esame.Corretto() && differenze.empty(); }
};

// Compares a typed code (blanks anywhere, either case) with a composed one (display or plain
// form). A typed code that is not a right code is not compared: `esame` says why. A numeric
// code carries no data, so every group differs.
Corrispondenza ConfrontaCodici(std::u16string_view composto, std::u16string_view codice);
// Composes the person's code as Componi does and compares it with `codice`.
Corrispondenza VerificaCorrispondenza(const Persona& persona, std::u16string_view codice,
                                      const Registro* registro, std::chrono::year_month_day oggi);
// What the user is told: composition's refusal, verification's message for a code that is not
// right, or whether the code corresponds, with a line for each group that differs ("nome:
// atteso MRA") or the note "omocodico".
std::u16string MessaggioCorrispondenza(const Corrispondenza& c);

// Verification's message with the reason on a second line: why a code is wrong, as the lists
// say it, or "omocodico" or "codice numerico" for a right one that is such, and "comune non in
// elenco" for a right personal code whose municipality the register does not have.
std::u16string MessaggioVerifica(const Esame& esame, bool comuneNonInElenco = false);

// A typed code decoded, with the record of its municipality. With a register, the century is the
// one in which the municipality's code was in force on the date (20 with A744, BELLAGIO until
// 2014, is 1920); where both were, or neither, the latest not ahead of today.
struct Decodificato {
    std::optional<DatiCodice> dati;  // nullopt: not a right personal code
    const Comune* comune = nullptr;  // the code's name of today; nullptr when not in the register
    bool registro = true;            // false: there was no register to look in
};
Decodificato Decodifica(std::u16string_view codice, const Registro* registro,
                        std::chrono::year_month_day oggi);

// The module variables under the names the commands use, and the register, held by the main
// window: the commands copy the fields in, call the engine and apply its outcome. Each variable
// keeps one meaning: Luogo is the name, Cognome the surname; the outcome carries the rest.
class Modulo {
public:
    std::u16string Cognome;
    std::u16string Nome;
    std::u16string Sesso;
    std::u16string Luogo;
    std::u16string Provincia;
    std::u16string DataNascita;
    std::u16string Codice;
    // The open register; null when there is none, and the program goes on without it.
    std::shared_ptr<const Registro> registro;
    // Today for the rules; nullopt: the clock's.
    std::optional<std::chrono::year_month_day> oggi;

    std::chrono::year_month_day Oggi() const { return oggi ? *oggi : NODREL1::Oggi(); }

    // Composes from the variables and the record the user chose (Persona::comune); Provincia
    // counts as the user's only when `provinciaIndicata`. On success the code in display form
    // goes into Codice, on a refusal Codice keeps its value.
    Composizione CalcolaCodice(const Comune* scelto, bool provinciaIndicata);
    // The message that tells whether a typed code is a right code (EsaminaCodice).
    std::u16string_view ControllaCodice(const std::u16string& codice) const;
    Decodificato EstraiDati(const std::u16string& codice) const;
};

// Messages the engine shows.
inline constexpr char16_t kMsgLuogoErrato[] =
    u"ERRORE : Inserire nuovamente luogo di nascita e provincia";
inline constexpr char16_t kMsgCognomeMancante[] = u"DEVE ESSERE INSERITO IL COGNOME";
inline constexpr char16_t kMsgNomeMancante[] = u"DEVE ESSERE INSERITO IL NOME";
inline constexpr char16_t kMsgDataMancante[] =
    u"DEVE ESSERE INSERITA LA DATA DI NASCITA  GG/MM/AAAA";
inline constexpr char16_t kMsgCodiceCorretto[] = u"CODICE FISCALE CORRETTO";
inline constexpr char16_t kMsgCodiceErrato[] = u"CODICE FISCALE ERRATO";
inline constexpr char16_t kMsgCodiceNonValido[] = u"ERRORE: INSERIRE NUOVAMENTE CODICE FISCALE";
inline constexpr char16_t kMsgComuneNonInElenco[] = u"Comune non in elenco";
inline constexpr char16_t kMsgComuneNonInVigore[] =
    u"ATTENZIONE: IL COMUNE NON ESISTEVA ALLA DATA DI NASCITA";
inline constexpr char16_t kMsgCodiceNumerico[] = u"CODICE NUMERICO: NON CONTIENE DATI ANAGRAFICI";
inline constexpr char16_t kMsgCorrisponde[] = u"IL CODICE CORRISPONDE AI DATI";
inline constexpr char16_t kMsgNonCorrisponde[] = u"IL CODICE NON CORRISPONDE AI DATI";
inline constexpr char16_t kMsgTesseraNonCorrisponde[] =
    u"ATTENZIONE: IL CODICE NON CORRISPONDE AI DATI";

}  // namespace NODREL1
