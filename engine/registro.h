#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace NODREL1 {

// One record of the municipality table: a cadastral code under one of its names, valid from
// `dal` to `al`. Dates are YYYY-MM-DD, so text order is time order.
struct Comune {
    std::u16string codice;     // COMU_COD
    std::u16string nome;       // COMU_DESCR
    std::u16string provincia;  // COMU_PROV
    std::u16string dal;        // COMU_DAL: first day under this name
    std::u16string al;         // COMU_AL: last day; 9999-12-31 while in force

    bool operator==(const Comune&) const = default;
};

// The municipality register, read once into memory and never changed: every lookup is a
// search in sorted arrays, with no file and no cursor behind it, so one register serves the
// windows' thread and a list checked in the background alike.
//
// Name order is the names without regard to ASCII case; equal names, and a code's several
// records, keep the order of the rows given, which the build tool makes "in force today first".
class Registro {
public:
    // A record's place in name order.
    using Posizione = std::size_t;

    Registro() = default;
    // The rows in the table's own order.
    explicit Registro(std::vector<Comune> righe);

    std::size_t Righe() const { return perNome_.size(); }
    bool Vuoto() const { return perNome_.empty(); }
    const Comune& operator[](Posizione p) const { return perNome_[p]; }

    // The first record, in name order, whose name is not less than `testo` (without regard to
    // case); nullopt past the last name.
    std::optional<Posizione> PrimoDa(std::u16string_view testo) const;
    // The neighbours in name order; nullopt past either end.
    std::optional<Posizione> Successivo(Posizione p) const;
    std::optional<Posizione> Precedente(Posizione p) const;
    // Every record whose name equals `nome` without regard to case, in name order.
    std::span<const Comune> Omonimi(std::u16string_view nome) const;
    // The place of one of those records, for Down and Up from a record chosen among homonyms.
    Posizione PosizioneDi(const Comune& c) const {
        return static_cast<Posizione>(&c - perNome_.data());
    }
    // The first record of a cadastral code, its name of today; nullptr when none has it.
    const Comune* PerCodice(std::u16string_view codice) const;
    // Every record of a cadastral code, in the table's order.
    std::vector<const Comune*> TuttiPerCodice(std::u16string_view codice) const;

private:
    std::vector<Comune> perNome_;           // name order, ties in table order
    std::vector<std::uint32_t> perCodice_;  // places in perNome_, code order, ties in table order
};

// Names compared as the register orders them: ASCII letters without regard to case, the rest
// by character code.
int ConfrontaNomi(std::u16string_view a, std::u16string_view b);

}  // namespace NODREL1
