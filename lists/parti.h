#pragma once

// The second reading of a file's plain rows: a run of them is cut in two halves, judged and
// written on two threads at once (CodeVerifica's or CodeDecodifica's lines, in place), and the
// halves handed over in order. A row whose outcome hangs on the rows before it (a code that may
// have come before, or a municipality not yet asked) is left for the reading's own thread, in its
// place.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "lists/aiutante.h"
#include "lists/filtro.h"
#include "lists/luoghi.h"
#include "lists/scrittura.h"

namespace nodrel {

// One half of a run of plain rows.
struct Parte {
    // From where its rows begin to the end of the piece; they begin before `limite`, and are
    // plain up to `fine`, `righe` of them.
    std::string_view testo;
    std::size_t limite = 0;
    std::size_t fine = 0;
    std::uint64_t righe = 0;
    std::uint64_t prima = 0;         // the row before its first
    std::unique_ptr<char[]> spazio;  // where its lines are written
    std::size_t capienza = 0;
    std::string_view uscita;  // what was written
    // A row left for the reading's own thread: where its line goes in `uscita`, its bytes and
    // its number; for a code that may have come before, its outcome and key, judged here so
    // that the reading's own thread can ask the memory for its place in the table ahead.
    struct Rinviata {
        std::size_t posizione;
        const char* riga;
        std::uint64_t numero;
        bool giudicata = false;
        NODREL1::Giudizio giudizio{0};
        std::uint64_t chiave = 0;
    };
    std::vector<Rinviata> rinviate;
    Riepilogo totali;
};

class Parti {
public:
    // What the halves are judged and written by, read by both threads.
    struct Contesto {
        const Candidati& tenuti;  // the codes the first reading kept
        Luoghi& luoghi;           // asked on this thread only, before the run is cut
        // The lines written: verification's, or else decoding's, whose municipalities are
        // prepared on this thread as those are asked.
        const CodeVerifica* verifica;
        CodeDecodifica* decodifica;
        std::size_t minimo;  // the shortest run worth two threads
        // Rows of both line ends (LF, CRLF) were met: a run is found before it is cut.
        bool& lungheDiverse;
    };

    // Writes the run of plain rows that opens `testo`, the rows before it `numero`: false when
    // there is none long enough. Otherwise Meta(0) and, when Entrambe(), Meta(1) hold what was
    // written; Prese() rows and Lette() bytes of `testo` are done with.
    bool Scrivi(std::string_view testo, std::uint64_t numero, const Contesto& c,
                Aiutante* aiutante);
    const Parte& Meta(std::size_t k) const { return parti_[k]; }
    bool Entrambe() const { return entrambe_; }
    std::uint64_t Prese() const { return parti_[0].righe + (entrambe_ ? parti_[1].righe : 0); }
    std::size_t Lette() const { return parti_[0].fine + (entrambe_ ? parti_[1].fine : 0); }

private:
    static void Scrivi(Parte& p, const Contesto& c);
    template <class Code>
    static void ScriviParte(Parte& p, const Contesto& c, const Code& code);

    std::array<Parte, 2> parti_;
    bool entrambe_ = false;
    bool avanti_ = true;  // the municipalities of the next run are asked before it is cut
};

}  // namespace nodrel
