#pragma once

// Whether the register knows the municipality of a right code, and whether it was in force on
// the code's date of birth: what the rows before it cannot change. Each of the 26,000 cadastral
// codes there can be is asked of the register once, however often a list holds it.

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/registro.h"
#include "lists/voce.h"

namespace nodrel {

class Luoghi {
public:
    // What is known of a municipality.
    enum class Stato : std::int8_t {
        NonChiesto,  // not asked yet
        Noto,
        SempreInVigore,  // known, and in force all through the 1900s
        Ignoto,
    };

    // Without a register nothing is asked: every municipality is Noto.
    Luoghi() = default;
    // `oggi`: a date of birth is not ahead of it.
    Luoghi(const NODREL1::Registro* registro, std::chrono::year_month_day oggi);

    bool Registro() const { return registro_ != nullptr; }
    Stato Di(std::uint32_t comune) const {
        return registro_ == nullptr ? Stato::Noto : stati_[comune];
    }
    bool Chiesto(std::uint32_t comune) const { return Di(comune) != Stato::NonChiesto; }
    // Asks the register about a municipality (NODREL1::ComuneDellaChiave), once.
    void Chiedi(std::uint32_t comune);
    // What a list says of the municipality of a right code with this municipality and date
    // (NODREL1::DataDellaChiave), once it was asked.
    Luogo Giudica(std::uint32_t comune, std::uint32_t data) const;

private:
    // Whether municipality `i` was in force on one of the days the date can mean.
    bool InVigore(std::uint32_t i, std::uint32_t data) const;

    const NODREL1::Registro* registro_ = nullptr;
    std::uint32_t oggi_ = 0;  // YYYYMMDD
    std::vector<Stato> stati_;
    // The periods of each municipality asked, first and last day as YYYYMMDD in pairs,
    // periodi_[inizio_[i]] on, quanti_[i] of them.
    std::vector<std::uint32_t> periodi_;
    std::vector<std::uint32_t> inizio_;
    std::vector<std::uint16_t> quanti_;
    // And of one that was not in force all through the 1900s, for each year's last two digits
    // from anni_[anno_[i]] on: whether it was in force on every day either century gives it, on
    // none, or on some.
    enum class Anno : std::uint8_t { Mai, Sempre, Secondo };
    std::vector<std::uint32_t> anno_;
    std::vector<Anno> anni_;
};

// Inline: it tells every right row of a run of plain ones.
inline Luogo Luoghi::Giudica(std::uint32_t comune, std::uint32_t data) const {
    switch (Di(comune)) {
        case Stato::Ignoto:
            return Luogo::Ignoto;
        case Stato::Noto:
            return registro_ != nullptr && !InVigore(comune, data) ? Luogo::NonInVigore
                                                                   : Luogo::Noto;
        case Stato::NonChiesto:
        case Stato::SempreInVigore:
            break;
    }
    return Luogo::Noto;
}

}  // namespace nodrel
