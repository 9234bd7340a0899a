#pragma once

// What tells a duplicate, over one reading or two. Read once (a pipe), every right code goes into
// the table of those seen. Read twice (a file), the first reading only marks each code in the
// filter and records in the table those it may have seen before, with their prints; the second
// looks only those up, and the bitmap of their prints tells nearly every other row without a
// look at the table.

#include <cstdint>
#include <utility>
#include <vector>

#include "lists/filtro.h"
#include "lists/visti.h"

namespace nodrel {

class Duplicati {
public:
    enum class Passata : std::uint8_t { Unica, Prima, Seconda };

    Passata Quale() const { return passata_; }
    void Prima() { passata_ = Passata::Prima; }

    // About `codici` codes are coming: room is made for them at once.
    void Prevedi(std::uint64_t codici) {
        previsti_ = codici;
        if (passata_ == Passata::Prima) {
            filtro_.Dimensiona(codici);
        } else {
            visti_.Riserva(codici);
        }
    }

    // The first reading: a right code marked by its print (ImprontaCodice); one it may have
    // seen is recorded for the second.
    FiltroCodici& Filtro() {
        if (filtro_.Vuoto()) {
            filtro_.Dimensiona(previsti_);
        }
        return filtro_;
    }
    // Asks the memory for the place of a candidate's code ahead of its Candidato.
    void AnticipaCandidato(std::uint64_t chiave) const { visti_.Anticipa(chiave); }
    void Candidato(std::uint64_t chiave, std::uint8_t omocodia, std::uint64_t impronta) {
        // A code met again has its print kept already: the bitmap grows with the codes the
        // filter flags, not with the rows that bring them again.
        if (visti_.Aggiungi(chiave, omocodia)) {
            impronte_.push_back(impronta);
        }
    }

    // The reading proper, read once or for the second time: the row a right code came on first,
    // or 0 when this is its first.
    std::uint64_t Vedi(std::uint64_t chiave, std::uint8_t omocodia, std::uint64_t riga) {
        return passata_ == Passata::Seconda ? visti_.Rivedi(chiave, omocodia, riga)
                                            : visti_.Registra(chiave, omocodia, riga);
    }
    void Anticipa(std::uint64_t chiave) const {
        if (passata_ != Passata::Prima) {
            visti_.Anticipa(chiave);
        }
    }
    // The second reading: the prints of the codes the first recorded.
    const Candidati& Tenuti() const { return candidati_; }

    // The first reading is over: the second begins, with the table of what it recorded.
    void Seconda() {
        filtro_ = FiltroCodici();
        visti_.Chiudi();
        candidati_ = Candidati(impronte_);
        impronte_ = std::vector<std::uint64_t>();
        passata_ = Passata::Seconda;
    }
    // The text changed before any row was handed, or its rows are better read once: read
    // once, with the table of every code (room for `codici`, or as the bytes foretold when 0).
    void Ricomincia(std::uint64_t codici) {
        visti_.Svuota();
        visti_.Riserva(codici != 0 ? codici : previsti_);
        candidati_ = Candidati();
        passata_ = Passata::Unica;
    }

private:
    Passata passata_ = Passata::Unica;
    std::uint64_t previsti_ = 0;
    FiltroCodici filtro_;
    CodiciVisti visti_;
    std::vector<std::uint64_t> impronte_;  // of the codes recorded in the first reading
    Candidati candidati_;
};

}  // namespace nodrel
