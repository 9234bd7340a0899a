#pragma once

// The first reading of a file's plain rows: each is marked in the filter as it stands, and only
// one the filter may have seen before is judged, for the table. A long run of them is marked on
// two threads: each hashes half the rows, then marks the prints that fall in its half of the
// filter, so that no word is written by both.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "lists/aiutante.h"
#include "lists/duplicati.h"

namespace nodrel {

class Marcatura {
public:
    // Marks the plain rows that open `testo` and takes them off it; the rows taken. With a
    // helper, a run of at least `minimo` rows is marked on two threads. `lungheDiverse`: rows
    // of both line ends (LF, CRLF) were met, and a run is then found before it is cut.
    std::uint64_t Segna(std::string_view& testo, Duplicati& duplicati, Aiutante* aiutante,
                        std::size_t minimo, bool& lungheDiverse);

private:
    struct Meta {
        // From where its rows begin to the end of the piece; they begin before `limite`.
        std::string_view testo;
        std::size_t limite = 0;
        // Its plain rows, up to `fine`: their prints and where each begins, apart by the half
        // of the filter they mark, quante[h] of them for half h.
        std::size_t fine = 0;
        std::array<std::vector<std::uint64_t>, 2> impronte;
        std::array<std::vector<std::uint32_t>, 2> inizi;
        std::array<std::size_t, 2> quante{};
        // Marked by the thread of half h of the filter: the right codes it may have seen before.
        struct Candidato {
            std::uint64_t impronta;
            std::uint64_t chiave;
            std::uint8_t omocodia;
        };
        std::vector<Candidato> candidati;
    };

    std::uint64_t SegnaInParallelo(std::string_view& testo, Duplicati& duplicati,
                                   Aiutante& aiutante, std::size_t minimo, bool& lungheDiverse);
    static void Dividi(Meta& m);
    void Marca(std::size_t meta, FiltroCodici& filtro);

    std::array<Meta, 2> meta_;
};

}  // namespace nodrel
