#pragma once

// The judging of one row of a list: its code verified, or composed from its person when it has
// none, and compared with the person beside it, by the engine's rules as the main window uses
// them.

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "lists/forma.h"
#include "lists/registro_atteso.h"
#include "lists/scelte.h"
#include "lists/voce.h"

namespace nodrel {

// A row as it is judged, and the room its texts need.
struct RigaGiudicata {
    VoceElenco voce;
    bool codice = false;        // the row holds a code (or the person for one)
    bool diretto = false;       // voce.codice is its sixteen characters as they stand
    std::uint64_t chiave = 0;   // of a right code (NODREL1::Chiave)
    std::uint8_t omocodia = 0;  // of a right code (NODREL1::Omocodia)
    std::string unito;          // its bytes, when they were gathered from two pieces
    std::string pulito;         // its quoted cells without their quotes
    std::string calcolato;
    std::string differenze;
    std::string note;             // what the person's cells leave untold (VoceElenco::note)
    bool luogoGiudicato = false;  // voce.luogo was judged on the person's date of birth
    std::vector<std::string_view> celle;
};

class Giudice {
public:
    // The register is asked for at the first row that needs it (one that composes a code or
    // compares one with its person); a date of birth is not ahead of `oggi`.
    // With `rapido` false every row takes the full judging, which the quick way on bytes must
    // agree with (the fuzz target holds them to it).
    Giudice(RegistroAtteso* registro, std::chrono::year_month_day oggi, bool rapido = true)
        : registro_(registro), oggi_(oggi), rapido_(rapido) {}

    // Judges the cells of `r` (r.celle) as the row numbered `riga` laid out by `forma`; with
    // `confronta` false a right code is not compared with its person (a first reading, which
    // needs only the codes).
    void Giudica(RigaGiudicata& r, const FormaElenco& forma, std::uint64_t riga,
                 bool confronta = true);
    // A row that is sixteen bytes and nothing else, judged where they lie; false when they are
    // not sixteen capitals and digits in their places, which only Giudica can tell.
    bool GiudicaSemplice(const char* sedici, std::uint64_t riga, RigaGiudicata& r) const;

private:
    void Componi(RigaGiudicata& r, const FormaElenco& forma);
    void Confronta(RigaGiudicata& r, const FormaElenco& forma);
    NODREL1::Persona PersonaDi(const VoceElenco& v) const;
    // The code of the common person composed from the cells' bytes into `sedici`: ASCII names,
    // a date in its commonest form, a sex of one letter, a municipality chosen without a homonym
    // left open. A cell that is empty or has no column is taken from `codice` where one is given
    // (the code the row holds), so that it differs nowhere. False when the row needs the full
    // judging, which alone tells what is wrong or left untold; `luogo` tells whether the
    // municipality is the cells' and `scelta` then is it.
    bool Rapido(const VoceElenco& v, const FormaElenco& forma, const NODREL1::Registro& registro,
                const char* codice, char* sedici, bool& luogo, NODREL1::SceltaComune& scelta);

    RegistroAtteso* registro_;
    std::chrono::year_month_day oggi_;
    bool rapido_;
    Scelte scelte_;
};

}  // namespace nodrel
