#pragma once

// The fiscal-code engine. One character is one UTF-16 unit; all comparisons are by character code.

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "engine/errore.h"
#include "engine/finestra.h"
#include "engine/registro.h"

namespace NODREL1 {

// Code groups. The letter groups read letters only, each as its upper-case ASCII base letter
// (NICOLÒ as NICOLO, D'AMICO as DAMICO); a text without a letter gives the filler "XX" alone.
std::u16string CodiceCognome(const std::u16string& cognome);
std::u16string CodiceNome(const std::u16string& nome);
std::u16string CodiceDataSesso(const std::u16string& data, const std::u16string& sesso);
// True for a date GG/MM/AAAA that exists and is not after today.
bool ControllaData(const std::u16string& data);
std::u16string CarattereControllo(const std::u16string& codice);
std::u16string TogliSpazi(const std::u16string& testo);

// Today's date in the local calendar; tests fix it with FissaOggi (nullopt: the clock again).
std::chrono::year_month_day Oggi();
void FissaOggi(std::optional<std::chrono::year_month_day> giorno);

// What is wrong with a typed code, if anything.
enum class Difetto {
    Nessuno,
    Lunghezza,  // neither 16 characters nor 11 starting with a digit
    Carattere,  // a character not allowed at its position
    Mese,       // a letter that is no month
    Giorno,     // a day outside 01-31 and 41-71
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
// L-V) at 7, 8, 10, 11 and 13-15, a day of 01-31 or 41-71 and its check letter.
Esame EsaminaCodice(std::u16string_view codice);
// What a right personal code carries.
struct DatiCodice {
    std::u16string cognome;  // the surname letters; a filler X is left out where it is one
    std::u16string nome;     // the given-name letters, likewise
    bool donna = false;
    std::u16string data;       // GG/MM/AAAA, in the century that puts it latest, not ahead
    std::u16string catastale;  // the municipality's code, omocode letters read as digits
};
// Decodes a right personal code; nullopt for anything else, numeric codes included.
std::optional<DatiCodice> LeggiCodice(std::u16string_view codice);

// The code as the rules read it: blanks removed, letters in upper case.
std::u16string CodiceNormale(std::u16string_view codice);
// A personal code with the omocode letters of its date and municipality read as digits.
std::u16string SenzaOmocodia(std::u16string codice);

// The module's state in one place, with one reset (tests call it between cases): a variable
// added here is reset with the rest, where a loose global would carry over from case to case.
struct StatoModulo {
    // The data the main window's commands hand to the engine, and the code it hands back.
    std::u16string Cognome;
    std::u16string Nome;
    std::u16string Sesso;
    std::u16string Luogo;
    std::u16string Provincia;
    std::u16string DataNascita;
    std::u16string Codice;
    // The open register: set by the main window's start-up, kept until the program ends.
    std::shared_ptr<Database> DbComuni;
    std::shared_ptr<Recordset> RsComuni;
    Finestra* finestra = nullptr;                     // CollegaFinestra
    std::optional<std::chrono::year_month_day> oggi;  // FissaOggi; nullopt: the clock's day

    // Empty variables, no register, no window, today from the clock.
    void Azzera() { *this = StatoModulo(); }
};
extern StatoModulo Stato;

// The module variables under the names the commands use: the members of Stato.
extern std::u16string& Cognome;
extern std::u16string& Nome;
extern std::u16string& Sesso;
extern std::u16string& Luogo;
extern std::u16string& Provincia;
extern std::u16string& DataNascita;
extern std::u16string& Codice;

// Composes the code in display form into `Codice`, from the module variables and the cadastral
// code in the hidden field Text8. Returns false when it refused after telling the user and
// focusing the field to mend (a surname or name without a letter, a municipality with no
// cadastral code, a date that does not exist or lies ahead); `Codice` then keeps its value.
bool CalcolaCodice();
// Tells the user whether a typed code is a right code (EsaminaCodice).
void ControllaCodice(const std::u16string& codice);
// Fills the main window's fields from a right personal code; a wrong one is kept, selected.
void EstraiDati(const std::u16string& codice);
void AttivaMaiuscole();

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

}  // namespace NODREL1
