#pragma once

// The right codes met in a list, with the line each came on first: what tells a duplicate.

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <utility>
#include <vector>

#include "lists/parole.h"

namespace nodrel {

// The right codes met so far, each with the line it came on first. A code and its omocodes share
// a key and differ by which of their digits are written as letters. A pipe records every right
// code of its list, so a code costs about ten bytes (see visti.cpp).
class CodiciVisti {
public:
    // The line the code came on first; 0 when it is new, and it is recorded as seen on `riga`.
    std::uint64_t Registra(std::uint64_t chiave, std::uint8_t omocodia, std::uint64_t riga);
    // Records the code on no line yet: true when it was not recorded before.
    bool Aggiungi(std::uint64_t chiave, std::uint8_t omocodia) {
        const std::uint64_t prima = Usati();
        Registra(chiave, omocodia, 0);
        return Usati() != prima;
    }
    // Asks the memory for the place of `chiave` ahead of its Registra.
    void Anticipa(std::uint64_t chiave) const;
    // Makes room for `quanti` codes at once, instead of growing step by step.
    void Riserva(std::uint64_t quanti);
    // For a code recorded before: the line it came on first, or 0 when it has none yet and
    // `riga` becomes it. A code never recorded is left out and gets 0.
    std::uint64_t Rivedi(std::uint64_t chiave, std::uint8_t omocodia, std::uint64_t riga);
    // Gives the memory back.
    void Svuota();
    // The codes are all recorded: from now on a bit a code, far smaller than the table, tells
    // most codes never recorded without a look at it.
    void Chiudi();
    // False for a code certainly never recorded (always true before Chiudi).
    bool Forse(std::uint64_t chiave) const {
        if (presenti_.empty()) {
            return true;
        }
        const std::uint64_t h = Presente(chiave);
        return (presenti_[h >> (64 - bitPresenti_)] & Bit(h)) == Bit(h);
    }

private:
    static std::uint64_t Presente(std::uint64_t chiave) {
        const std::uint64_t x = chiave * 0xD6E8FEB86659FD93u;
        return x ^ (x >> 32);
    }
    static std::uint64_t Bit(std::uint64_t h) {
        return (std::uint64_t{1} << (h & 63)) | (std::uint64_t{1} << (h >> 6 & 63));
    }

    // A code that found both its buckets full.
    struct Riposto {
        std::uint64_t interno;
        std::uint64_t riga;
        std::uint8_t segno;
    };
    static bool Prima(const Riposto& a, const Riposto& b);

    // A part of a table: the codes whose hash begins with its number, in 2^beta buckets of
    // `posti` places each, bit-packed.
    struct Segmento {
        Parole bit;
        std::vector<Riposto> riposti;
        std::uint64_t usati = 0;  // in the buckets
        std::uint8_t beta = 0;
        std::uint8_t posti = 0;  // 0: nothing allocated yet
        std::uint8_t bitRiga = 0;
    };

    // The codes of one kind: plain ones (no omocode letters to keep) or omocodes.
    class Tavola {
    public:
        explicit Tavola(unsigned bitSegno) : bitSegno_(bitSegno) {}
        std::uint64_t Registra(std::uint64_t h, std::uint8_t segno, std::uint64_t riga);
        std::uint64_t Rivedi(std::uint64_t h, std::uint8_t segno, std::uint64_t riga);
        // The first, middle and last words of each of the two buckets of `h`, or nulls.
        std::array<const void*, 6> Dove(std::uint64_t h) const;
        void Riserva(std::uint64_t quanti);
        // Hands the hash of every code recorded to `f`.
        template <class F>
        void PerOgni(F&& f) const;
        std::uint64_t Usati() const { return usati_; }

        static constexpr int kBitSegmenti = 10;
        static constexpr int kBitInterni = 61 - kBitSegmenti;

    private:
        struct Forma;
        struct Posto {
            std::uint64_t secchio;
            unsigned indice;
            Riposto* riposto;  // or in the segment's list
        };
        Forma FormaDi(const Segmento& s) const;
        bool Trova(Segmento& s, std::uint64_t interno, std::uint8_t segno, Posto& p) const;
        void Metti(Segmento& s, std::uint64_t interno, std::uint8_t segno,
                   std::uint64_t riga) const;
        // Makes room in full bucket `b` by moving one of its codes to its other bucket.
        bool Sposta(Segmento& s, const Forma& f, std::uint64_t b, std::uint64_t& quanti) const;
        std::uint64_t LeggiRiga(const Segmento& s, const Posto& p) const;
        void ScriviRiga(Segmento& s, const Posto& p, std::uint64_t riga) const;
        // Rebuilds `s` with 2^beta buckets of `posti` places and lines of `bitRiga` bits.
        void Cresci(Segmento& s, int beta, int posti, int bitRiga) const;

        unsigned bitSegno_;
        std::uint64_t usati_ = 0;
        std::vector<Segmento> segmenti_;  // 2^kBitSegmenti once a code comes
    };

    std::uint64_t Usati() const;

    Tavola piane_{0};
    Tavola omocodici_{7};
    // Keys no right code gives, kept apart so that any key is still recorded exactly.
    std::map<std::pair<std::uint64_t, std::uint8_t>, std::uint64_t> fuori_;
    std::vector<std::uint64_t> presenti_;
    int bitPresenti_ = 0;
};

}  // namespace nodrel
