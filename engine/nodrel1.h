#pragma once

// The fiscal-code engine. One character is one UTF-16 unit; all comparisons are by character code.

#include <string>

#include "engine/errore.h"
#include "engine/finestra.h"
#include "engine/registro.h"

namespace NODREL1 {

// Code groups.
std::u16string CodiceCognome(const std::u16string& cognome);
std::u16string CodiceNome(const std::u16string& nome);
std::u16string CodiceDataSesso(const std::u16string& data, const std::u16string& sesso);
bool ControllaData(const std::u16string& data);
std::u16string CarattereControllo(const std::u16string& codice);
std::u16string TogliSpazi(const std::u16string& testo);

// The data the main window's commands hand to the engine, and the code it hands back.
extern std::u16string Cognome;
extern std::u16string Nome;
extern std::u16string Sesso;
extern std::u16string Luogo;
extern std::u16string Provincia;
extern std::u16string DataNascita;
extern std::u16string Codice;

// Composes the code in display form into `Codice`, from the module variables and the cadastral
// code in the hidden field Text8. Returns false when it refused (a "?" municipality or a date it
// cannot encode) after telling the user; `Codice` then keeps its value.
bool CalcolaCodice();
// Tells the user whether the check character of a typed code is right.
void ControllaCodice(const std::u16string& codice);
// Fills the main window's fields from a typed code.
void EstraiDati(const std::u16string& codice);
void AttivaMaiuscole();

// Messages the engine shows.
inline constexpr char16_t kMsgLuogoErrato[] =
    u"ERRORE : Inserire nuovamente luogo di nascita e provincia";
inline constexpr char16_t kMsgDataMancante[] =
    u"DEVE ESSERE INSERITA LA DATA DI NASCITA  GG/MM/AAAA";
inline constexpr char16_t kMsgCodiceCorretto[] = u"CODICE FISCALE CORRETTO";
inline constexpr char16_t kMsgCodiceErrato[] = u"CODICE FISCALE ERRATO";
inline constexpr char16_t kMsgCodiceNonValido[] = u"ERRORE: INSERIRE NUOVAMENTE CODICE FISCALE";
inline constexpr char16_t kMsgComuneNonInElenco[] = u"Comune non in elenco";

}  // namespace NODREL1
