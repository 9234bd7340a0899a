#pragma once

// One reading of a list, as its text comes in pieces (or a spreadsheet's rows one at a time): the
// text made UTF-8, its layout told from its first rows, each row taken off it, judged, checked
// against the rows before it (duplicates, counts) and handed to its destination. Plain rows are
// found, judged and written where they lie. A file can be read twice, so that a list of millions
// needs no table of all its codes: the first reading only marks the codes, the second hands the
// rows.

#include <array>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "lists/aiutante.h"
#include "lists/codifica.h"
#include "lists/duplicati.h"
#include "lists/forma.h"
#include "lists/giudice.h"
#include "lists/luoghi.h"
#include "lists/marcatura.h"
#include "lists/parti.h"
#include "lists/righe.h"
#include "lists/voce.h"

namespace nodrel {

class Lettura {
public:
    struct Impostazioni {
        RegistroAtteso* registro = nullptr;  // none: the municipalities go unchecked
        std::chrono::year_month_day oggi = NODREL1::Oggi();
        // Every row is a person whose code is composed, whatever code it holds.
        bool soloPersone = false;
        // The plain rows of a run of at least `minimo` are marked (in a first reading) and, for
        // a destination that writes verification's lines, written (in a second) on two threads.
        bool parallelo = false;
        std::size_t minimo = std::size_t{1} << 12;
    };

    explicit Lettura(Impostazioni impostazioni);
    ~Lettura();

    // The bytes from a row's VoceElenco::posto on that hold all of it that a reading takes.
    static constexpr std::size_t kByteRiga = 2 * (LettoreRighe::kRigaMassima + 2);
    // The row at the front of `byte`, a list's bytes from a row's place on (kByteRiga of them,
    // or all up to the list's end), as a reading of the list in `tipo` with `separatore` took
    // it; in UTF-8, into `testo`.
    static void RigaDa(std::string_view byte, Codifica::Tipo tipo, char separatore,
                       std::string& testo);

    // A text of `byte` bytes is coming (a file's size): room is made for its codes at once.
    void Prevedi(std::uint64_t byte);
    // The first of two readings: it hands no row and only marks the codes. SecondaLettura then
    // starts again from the first byte, which must come in the same pieces. When the second
    // reading's text is not the first's before any row was handed, the list is read as a single
    // reading would; after, the reading stops there and Cambiato() tells.
    void PrimaLettura() { duplicati_.Prima(); }
    void SecondaLettura();
    bool Cambiato() const { return cambiato_; }
    // Whether a first reading under way had better be the only one: its rows hold people, whose
    // judging costs far more to make twice than their codes cost to keep in a table. The list
    // is then read again from its first byte, once (UnicaLettura), in the same pieces or not.
    bool UnaBasta() const {
        return duplicati_.Quale() == Duplicati::Passata::Prima && stato_.deciso &&
               stato_.forma.Persone() && !stato_.soloCodice;
    }
    void UnicaLettura();

    // Judges the rows that `pezzo` completes and hands each that holds a code to `destinazione`.
    void Leggi(std::string_view pezzo, Destinazione& destinazione);
    // The same with the piece's print already made (ImprontaPezzo), as a reader ahead makes it.
    void Leggi(std::string_view pezzo, Destinazione& destinazione, std::uint64_t impronta);
    // One row of a spreadsheet, already in cells; `riga` from 1.
    void LeggiRiga(std::uint64_t riga, std::span<const std::string_view> celle,
                   Destinazione& destinazione);
    // The text ends: a last row left without its line end is judged.
    void Fine(Destinazione& destinazione);

    const Riepilogo& Totali() const { return stato_.totali; }
    // Known from the first row handed on.
    const FormaElenco& Forma() const { return stato_.forma; }
    // The text's encoding, known with the layout: a row read again from VoceElenco::posto is
    // converted as this reading converted it.
    Codifica::Tipo Conversione() const { return stato_.codifica.Quale(); }

private:
    // Rows are judged a batch at a time, so that the memory fetches the places of their codes
    // in the table of those seen all at once rather than one after the other.
    static constexpr std::size_t kLotto = 64;
    // Rows that are not plain are judged a longer batch at a time on the helper thread, while
    // this one hands the batch before on: the hand-over costs a few microseconds, the batch
    // hundreds.
    static constexpr std::size_t kLottoAffiancato = 8 * kLotto;

    // What one reading learns as it goes; a second reading starts it afresh.
    struct Stato {
        Codifica codifica;
        LettoreRighe lettore;
        FormaElenco forma;
        bool deciso = false;  // the layout is known
        bool soloCodice = false;
        std::string testa;  // the text held until the layout is known
        std::string tenuto;
        std::vector<RigaDiCelle> righeFoglio;  // a spreadsheet's rows held likewise
        Riepilogo totali;
        std::array<RigaGiudicata, kLotto> lotto;
        Marcatura marcatura;
        std::unique_ptr<Parti> parti;
        std::string rinviata;  // the line of a row left for this thread
        // The text being taken rows off, the bytes (UTF-8) of the text before it, and how far
        // the places of rows in the list's own bytes have been counted (Byte).
        std::string_view testo;
        std::uint64_t letto = 0;
        std::uint64_t contato = 0;
        std::uint64_t byte = 0;
        std::pair<std::uint64_t, std::uint64_t> trattenuta;  // the held row's start, both ways
        std::vector<std::uint64_t> posti;  // of the plain rows whose lines go to the destination
    };

    bool Confronta(std::uint64_t impronta, bool fine);
    // Where byte `posto` of the text as UTF-8, in the text at hand or the start of the row held
    // from before it, lies in the list as read; asked in order.
    std::uint64_t Byte(std::uint64_t posto);
    std::uint64_t Qui(const char* p) const {
        return stato_.letto + static_cast<std::uint64_t>(p - stato_.testo.data());
    }
    bool Testa(std::string_view& testo, bool fine);
    void Scorri(std::string_view testo, Destinazione& destinazione);
    void Scorri(Destinazione& destinazione);
    // Takes up to kLotto whole rows off the front of `testo` and judges them.
    std::size_t Prepara(std::string_view& testo);
    // The rows of `testo` that are not plain, taken off it on the helper thread a batch ahead
    // of those this thread completes and hands on, and judged by whichever thread is free.
    void Affianca(std::string_view& testo, Destinazione& destinazione, Aiutante& aiutante);
    // A batch for Affianca: up to lotto.size() whole rows taken off `testo`, not yet judged.
    std::size_t Trova(std::string_view& testo, std::span<RigaGiudicata> lotto,
                      std::span<RigaLetta> lette);
    // Judges the rows of a batch that no thread has taken yet, a few at a time.
    void GiudicaLibere(std::span<RigaGiudicata> lotto, std::span<const RigaLetta> lette,
                       Giudice& giudice);
    // The rows of a batch judged: completed and handed on, in order.
    void Consegna(std::span<RigaGiudicata> lotto, Destinazione& destinazione);
    void GiudicaRiga(const RigaLetta& riga, RigaGiudicata& r) { GiudicaRiga(riga, r, giudice_); }
    void GiudicaRiga(const RigaLetta& riga, RigaGiudicata& r, Giudice& giudice) const;
    // The first reading: the code of a row marked.
    void Segna(const RigaGiudicata& r);
    // What only the rows before it can tell: duplicates, counts; false when it holds no code.
    bool Completa(RigaGiudicata& r);
    void ScriviSemplici(std::string_view& testo, Destinazione& destinazione);
    void Consegna(const Parte& p, Destinazione& destinazione);
    // A row left for this thread written as the halves write theirs; false when it needs the
    // full reading (a duplicate among them).
    bool ScriviRinviata(const Parte::Rinviata& r, Destinazione& destinazione);
    void GiudicaFoglio(const RigaDiCelle& riga, Destinazione& destinazione);
    // The municipalities, once the register has come.
    Luoghi& Comuni();
    Aiutante* Aiuto();

    Impostazioni impostazioni_;
    Giudice giudice_;
    Duplicati duplicati_;
    std::optional<Luoghi> luoghi_;
    std::unique_ptr<Aiutante> aiutante_;
    bool senzaAiutante_ = false;           // no thread to be had: this one does both halves
    bool lungheDiverse_ = false;           // rows of both line ends were met
    std::uint64_t previsti_ = 0;           // the bytes Prevedi announced
    std::vector<std::uint64_t> impronte_;  // of each piece of the first reading
    std::size_t confrontati_ = 0;          // the pieces of the second reading that matched
    bool cambiato_ = false;
    // Affianca's batches, in turn, and the rows of each as taken off the text.
    std::array<std::vector<RigaGiudicata>, 2> affiancati_;
    std::array<std::vector<RigaLetta>, 2> lette_;
    // The rows of the batch being judged: how many there are, once they are taken off the text
    // (SIZE_MAX before), and the next that no thread has taken.
    std::atomic<std::size_t> trovate_{0};
    std::atomic<std::size_t> libera_{0};
    std::optional<Giudice> accanto_;  // this thread's, while the helper judges with giudice_
    Stato stato_;
};

}  // namespace nodrel
