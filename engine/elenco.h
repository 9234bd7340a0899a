#pragma once

// Checking a whole list of codes, one a line, as it is read: the engine of the command line's
// --verifica and --decodifica and of the window that checks a list.

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <semaphore>
#include <span>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "engine/nodrel1.h"
#include "engine/visti.h"

namespace NODREL1 {

// One row of a list that holds a code, or the person to compose one for.
struct VoceElenco {
    std::uint64_t riga = 0;          // the number of the line it starts on, from 1
    std::string_view codice;         // as given (or composed), UTF-8; valid during the callback
    Esame esame;                     // right or wrong, and why
    std::uint64_t duplicatoDi = 0;   // a right code that came first on this line, or 0
    bool comuneSconosciuto = false;  // a right personal code whose municipality the register
                                     // does not know
    bool calcolato = false;          // the row had no code: it was composed from its person
    std::string_view rifiuto;        // why its person could not be composed, or empty
    std::span<const std::string_view> celle;  // every cell of the row as read, UTF-8
    // The person's cells (cognome, nome, sesso, data, comune, provincia), empty where the list
    // has no such column.
    std::array<std::string_view, 6> persona;

    bool comuneNonInVigore = false;  // or knows, but not in force on the date of birth in
                                     // either century the year's two digits allow
    bool nonCorrisponde = false;     // right, but not the code of the person beside it
    std::string_view differenze;     // then the groups that differ and what they should be

    bool Corretto() const { return esame.Corretto() && rifiuto.empty(); }
};

struct Riepilogo {
    std::uint64_t codici = 0;
    std::uint64_t corretti = 0;
    std::uint64_t errati = 0;
    std::uint64_t duplicati = 0;          // counted among the right ones too
    std::uint64_t calcolati = 0;          // likewise
    std::uint64_t nonCorrispondenti = 0;  // right, but not their person's
};

// The codes of a list read twice, as a file can be, marked in the first reading (a plain line
// whatever it holds, any other only when it is right): a few bits a code, so that it stays far
// smaller than the table of the codes. A code marked a second time may have been seen before
// (or shares its bits with others); only the right ones of those need the table in the second
// reading.
class FiltroCodici {
public:
    void Dimensiona(std::uint64_t codici);
    // What a code is marked by: its sixteen bytes as given, capitals and small letters alike
    // (a numeric code's eleven, then noughts). Other bytes may share it with some other: that
    // only makes a code that comes once look at the table.
    static std::uint64_t Impronta(const char* sedici);
    // Marks a code; true when all its bits were marked already.
    bool Segna(std::uint64_t impronta);
    void Anticipa(std::uint64_t impronta) const;
    bool Vuoto() const { return parole_ == nullptr; }

private:
    // Pages mapped for the filter (`byte` of them from `inizio`), or words of the heap.
    struct Libera {
        void* inizio;  // null for words of the heap
        std::size_t byte;
        void operator()(std::uint64_t* parole) const;
    };
    std::unique_ptr<std::uint64_t[], Libera> parole_;
    int bit_ = 0;
};

// How a list is laid out, found from its first lines.
struct FormaElenco {
    char separatore = 0;  // ';' ',' '\t' '|', or 0 for one cell a line
    int codice = 0;       // the column of the code, -1 for none
    std::array<int, 6> persona{-1, -1, -1, -1, -1, -1};  // as VoceElenco::persona
    std::uint64_t intestazione = 0;    // the line of the header row (those above it are
                                       // titles), 0 for none
    std::vector<std::string> colonne;  // the header's names, UTF-8; empty without one
    bool Persone() const { return persona[0] >= 0 || persona[1] >= 0; }
};

// Reads a list handed in pieces as it comes: text or CSV as spreadsheets write it (quoted
// fields, the separator found from the file, LF, CRLF or CR line ends; UTF-8, UTF-16 with a
// byte-order mark, or Windows-1252), or rows handed one at a time (a spreadsheet's). The code
// column and the person's columns come from a header row, or from the values. Rows with no cell
// filled are skipped. Memory holds the start of the file until its layout is known, one row
// (its first 4096 bytes judge it) and the right codes seen, for the duplicates.
class ElencoCodici {
public:
    // Whether the register knows a cadastral code (a letter and three digits); without it no
    // municipality is looked up.
    using ComuneNoto = std::function<bool(std::u16string_view catastale)>;

    explicit ElencoCodici(ComuneNoto comuneNoto = {});
    // The municipalities are looked up in `registro` (which may be null), and whether they were
    // in force on the date of birth, a century not ahead of `oggi`.
    explicit ElencoCodici(const Registro* registro, std::chrono::year_month_day oggi = Oggi());

    // Every row is a person whose code is composed, whatever code it holds; without a header the
    // columns are cognome, nome, sesso, data, comune, provincia.
    void SoloPersone() { soloPersone_ = true; }

    // The register is still being read, on another thread: `attesa` waits for it and gives it
    // (null when there is none). It is asked the first time a row needs the register, and at the
    // latest when the second reading begins, so that a first reading of plain codes, which needs
    // none, goes on meanwhile. For a list built without a register.
    void RegistroInArrivo(std::function<const Registro*()> attesa) { attesa_ = std::move(attesa); }

    // Judges the rows that `pezzo` completes and hands each that holds a code to `voce`.
    template <class F>
    void Leggi(std::string_view pezzo, F&& voce);
    // The same with the piece's print already made (ImprontaPezzo), by a reader that reads
    // ahead on a thread of its own: the two readings of a file compare their pieces by it.
    template <class F>
    void Leggi(std::string_view pezzo, F&& voce, std::uint64_t impronta);
    static std::uint64_t ImprontaPezzo(std::string_view pezzo);
    // One row already split into cells (UTF-8), as a spreadsheet gives it; `riga` from 1.
    template <class F>
    void LeggiRiga(std::uint64_t riga, std::span<const std::string_view> celle, F&& voce);
    // The text ends: judges a last row left without its line end.
    template <class F>
    void Fine(F&& voce);

    // In the second reading of a verification, a run of at least `minimo` plain lines (sixteen
    // letters or digits and a line end, most of a list) is judged on two threads at once, each
    // half of it written as ScriviVerifica would; the text comes to `testo` in the rows' order,
    // and those rows to no callback of Leggi.
    void ScriviInParallelo(std::function<void(std::string_view)> testo,
                           std::size_t minimo = std::size_t{1} << 12);

    const Riepilogo& Totali() const { return totali_; }
    // Known from the first row handed to a callback on.
    const FormaElenco& Forma() const { return forma_; }

    // A text of `byte` bytes is coming (a file's size): room is made for its codes at once.
    void Prevedi(std::uint64_t byte);

    // A file can be read twice, so that a list of millions needs no table of all its codes: the
    // first reading, after PrimaLettura, hands no row and only marks the codes; SecondaLettura
    // then starts again from the first byte, which must come in the same pieces. When the
    // second reading's text is not the first's before any row was handed, the list is read as
    // a single reading would; after, the reading stops there and Cambiato() tells.
    void PrimaLettura() { passata_ = Passata::Prima; }
    void SecondaLettura();
    bool Cambiato() const { return cambiato_; }

private:
    static constexpr std::size_t kRigaMassima = 4096;
    // The rows looked at for the header and the layout, and the bytes the encoding is told from.
    static constexpr std::size_t kRigheTesta = 20;
    static constexpr std::size_t kCampione = 1 << 16;
    // Rows are judged a batch at a time, so that the memory fetches the slots of their codes
    // in the table of those seen all at once rather than one after the other.
    static constexpr std::size_t kLotto = 64;

    enum class Codifica { Ignota, Utf8, Utf16LE, Utf16BE, Cp1252 };

public:
    // Where the reading of a row stands: a cell begun, within one, within quotes, or just past
    // a quote within them (a doubled quote, or the closing one).
    enum class Stato : std::uint8_t { Inizio, Campo, Dentro, Chiuso };

private:
    struct Riga {
        VoceElenco voce;
        std::uint64_t chiave = 0;  // of a right code
        std::uint8_t omocodia = 0;
        bool codice = false;  // the row holds a code
        std::string unito;    // a row gathered from two pieces
        std::string pulito;   // quoted cells without their quotes
        std::string calcolato;
        std::string differenze;
        std::vector<std::string_view> celle;
    };

    // The text to read now as UTF-8, once the encoding is known; false while it is not.
    bool Accogli(std::string_view pezzo, std::string_view& testo, bool fine);
    void Converti(std::string_view byte, std::string& out);
    // Holds the first rows until the layout is known; false while it is not.
    bool Testa(std::string_view& testo, bool fine);
    void Decidi(std::string_view testa, bool fine);
    // Takes up to kLotto complete rows off the front of `testo` and judges them.
    std::size_t Prepara(std::string_view& testo);
    // Judges one row, its end taken off; `copia` when `riga` will not outlive the call.
    void Giudica(std::string_view riga, Riga& r, bool copia);
    // Judges the cells of `r`.
    void GiudicaCelle(Riga& r);
    // The register from now on, and the tables that go with it.
    void Usa(const Registro* registro);
    // The register, waited for if it is still coming.
    void Attendi() {
        if (attesa_) {
            Arriva();
        }
    }
    void Arriva();
    Persona PersonaDi(const VoceElenco& v) const;
    // What only the rows before it can tell: duplicates, counts; false when it holds no code.
    bool Completa(Riga& r);
    // Asks the register about municipality `i` of the key's numbering, once.
    void Chiedi(std::size_t i);
    void Trattieni(std::string_view parte);

    template <class F>
    void Scorri(std::string_view testo, F&& voce) {
        for (;;) {
            if (passata_ == Passata::Prima) {
                SegnaSemplici(testo);
            } else if (!code_.empty() && passata_ == Passata::Seconda) {
                ScriviSemplici(testo);
            }
            const std::size_t n = Prepara(testo);
            if (passata_ == Passata::Prima) {
                for (std::size_t i = 0; i < n; ++i) {
                    Segna(lotto_[i]);
                }
            } else {
                for (std::size_t i = 0; i < n; ++i) {
                    Completa(lotto_[i]);
                }
                for (std::size_t i = 0; i < n; ++i) {
                    if (lotto_[i].codice) {
                        voce(static_cast<const VoceElenco&>(lotto_[i].voce));
                    }
                }
            }
            if (n < kLotto) {
                break;
            }
        }
    }
    // The first reading: the code of a row marked.
    void Segna(const Riga& r);
    // The first reading of plain lines, sixteen letters or digits and a line end: each is
    // marked as it stands, and only one the filter may have seen before is judged, for the
    // table.
    void SegnaSemplici(std::string_view& testo);
    // The same for a run of plain lines on two threads, once ScriviInParallelo was asked: each
    // hashes half the lines, then marks the codes whose prints fall in its half of the filter,
    // so that no word is written by both; false when the run is too short for it.
    struct Marcatura {
        // From where its lines begin to the end of the piece; they begin before `limite`.
        std::string_view testo;
        std::size_t limite = 0;
        // Its plain lines, up to `fine`: their prints and where each begins, apart by the half
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
    bool SegnaInParallelo(std::string_view& testo);
    static void Dividi(Marcatura& m);
    void Marca(std::size_t meta);
    std::unique_ptr<std::array<Marcatura, 2>> marcature_;
    void Candidato(std::string_view codice, std::uint64_t impronta);
    // Whether a plain line of the second reading may be one of the codes the first kept: false
    // for nearly all others.
    bool ForseCandidato(std::uint64_t impronta) const;
    static std::uint64_t BitCandidato(std::uint64_t impronta);
    void Anticipa(const Riga& r) const;
    // One half of a run of plain lines in the second reading, for one of the two threads: the
    // text written for it, and the rows left for the reading's own thread, in order, where they
    // go in that text.
    struct Parte {
        // From where its lines begin to the end of the piece; they begin before `limite`, and
        // are plain up to `fine`, `righe` of them.
        std::string_view testo;
        std::size_t limite = 0;
        std::size_t fine = 0;
        std::uint64_t righe = 0;
        std::uint64_t prima = 0;         // the line before its first
        std::unique_ptr<char[]> spazio;  // where its lines are written
        std::size_t capienza = 0;
        std::string_view uscita;  // what was written
        struct Rinviata {
            std::size_t posizione;
            const char* riga;
            std::uint64_t numero;
        };
        std::vector<Rinviata> rinviate;
        Riepilogo totali;
    };
    // Whether the second thread is there, started if need be.
    bool Aiuto();
    void ScriviSemplici(std::string_view& testo);
    void ScriviParte(Parte& p) const;
    void Consegna(Parte& p);
    // A row left for this thread written as ScriviParte would, once the table and the register
    // have been asked; false when it needs the full reading (a duplicate among them), untold.
    bool ScriviRinviata(const Parte::Rinviata& r);
    // What follows the number in the line of a plain line judged `giudizio`, its municipality
    // `i` (kNessuno for a wrong code) asked already, at `o`; where it ends.
    static constexpr std::size_t kNessuno = SIZE_MAX;
    char* ScriviCoda(char* o, const char* codice, std::uint32_t giudizio, std::size_t i,
                     std::uint64_t data) const;
    // Whether the municipality of a right code's key is known, and in force: what the rows
    // before it cannot change, once it has been asked.
    void Luogo(VoceElenco& v, std::size_t i, std::uint64_t senzaCarattere) const;

    // Whether a piece may be read: in the second reading, whether it is the first's.
    bool Confronta(std::uint64_t impronta, bool fine);

    // Whether municipality `i` of the key's numbering was in force on one of the days the rest
    // of the key can mean.
    bool InVigore(std::size_t i, std::uint64_t data) const;

    ComuneNoto comuneNoto_;
    // 0 not asked yet, 1 known, 2 known and in force all through the 1900s, -1 not known.
    std::array<std::int8_t, 26 * 1000> comuni_{};
    // With a register: the periods of each municipality asked, first and last day as YYYYMMDD
    // in pairs, periodi_[inizio_[i]] on, quanti_[i] of them.
    const Registro* registro_ = nullptr;
    std::function<const Registro*()> attesa_;
    std::uint32_t oggi_ = 0;
    std::chrono::year_month_day oggiData_ = Oggi();
    std::vector<std::uint32_t> periodi_;
    std::vector<std::uint32_t> inizio_;
    std::vector<std::uint16_t> quanti_;
    // And of one that was not in force all through the 1900s, for each year's last two digits
    // from anni_[anno_[i]] on: 1 in force on every day either century gives it, 0 on none,
    // 2 it depends on the day.
    std::vector<std::uint32_t> anno_;
    std::vector<std::uint8_t> anni_;
    CodiciVisti visti_;  // with two readings, only the codes the filter may have seen twice
    // Those codes by their prints in the first reading, and after it a bitmap of them, so that
    // nearly every other plain line needs neither its key nor a look at the table.
    std::vector<std::uint64_t> impronteCandidati_;
    std::vector<std::uint64_t> candidati_;
    int bitCandidati_ = 0;
    enum class Passata : std::uint8_t { Unica, Prima, Seconda };
    Passata passata_ = Passata::Unica;
    FiltroCodici filtro_;
    std::uint64_t previsti_ = 0;           // the bytes Prevedi announced
    std::vector<std::uint64_t> impronte_;  // of each piece of the first reading
    std::size_t confrontati_ = 0;          // the pieces of the second reading that matched
    bool cambiato_ = false;
    Riepilogo totali_;
    FormaElenco forma_;
    std::array<Riga, kLotto> lotto_;
    Codifica codifica_ = Codifica::Ignota;
    std::string campione_;    // bytes held until the encoding is known
    std::string testa_;       // text held until the layout is known
    std::string convertito_;  // a piece in UTF-8
    int dispari_ = -1;        // UTF-16: a byte left over from the last piece
    char16_t alta_ = 0;       // UTF-16: a high surrogate left over
    bool deciso_ = false;     // the layout is known
    bool soloPersone_ = false;
    bool unaColonna_ = true;  // the code is the only thing a row holds: the fast path applies
    std::string resto_;       // a row begun in an earlier piece
    bool inCorso_ = false;    // resto_ holds one
    Stato stato_ = Stato::Inizio;
    bool saltaLF_ = false;          // a CR ended the last piece: an LF that follows belongs to it
    std::size_t lungo_ = 0;         // the bytes of the row in resto_, kept or not
    std::uint64_t righeResto_ = 0;  // line ends within quotes of the row in resto_
    std::uint64_t numero_ = 0;      // the lines read to the end
    std::uint64_t consegnate_ = 0;  // the rows a spreadsheet handed in
    char separatoreFisso_ = 0;
    std::function<void(std::string_view)> testo_;
    std::size_t minimo_ = 0;
    // Once ScriviInParallelo was asked: what follows the number and the code in the line of a
    // plain line judged by GiudicaPersonale, for each outcome (DoveCoda), copied whole.
    struct Coda {
        char testo[64];
        std::size_t lunghezza;
    };
    std::vector<Coda> code_;
    bool avanti_ = true;          // the municipalities of the next run are asked before it is cut
    bool lungheDiverse_ = false;  // LF and CRLF lines were met: runs are found before the cut
    std::unique_ptr<std::array<Parte, 2>> parti_;
    // The second thread, which waits between the runs it is given.
    class Aiutante {
    public:
        Aiutante();
        ~Aiutante();
        void Avvia(std::function<void()> lavoro);
        void Attendi();

    private:
        std::function<void()> lavoro_;
        std::binary_semaphore pronto_{0};
        std::binary_semaphore fatto_{0};
        std::jthread filo_;  // last: it starts once the rest is there, and ends before it goes
    };
    std::unique_ptr<Aiutante> aiutante_;
    bool senzaAiutante_ = false;
    std::string rinviata_;  // the text of a row left for this thread
};

template <class F>
void ElencoCodici::Leggi(std::string_view pezzo, F&& voce) {
    Leggi(pezzo, voce, passata_ == Passata::Unica ? 0 : ImprontaPezzo(pezzo));
}

template <class F>
void ElencoCodici::Leggi(std::string_view pezzo, F&& voce, std::uint64_t impronta) {
    std::string_view testo;
    if (Confronta(impronta, false) && Accogli(pezzo, testo, false) && Testa(testo, false)) {
        Scorri(testo, voce);
    }
}

template <class F>
void ElencoCodici::Fine(F&& voce) {
    if (!Confronta(0, true)) {
        return;
    }
    std::string_view testo;
    if (Accogli({}, testo, true) && Testa(testo, true)) {
        Scorri(testo, voce);
    }
    if (inCorso_) {
        inCorso_ = false;
        Giudica(resto_, lotto_[0], true);
        numero_ += righeResto_;
        righeResto_ = 0;
        resto_.clear();
        if (passata_ == Passata::Prima) {
            Segna(lotto_[0]);
        } else if (Completa(lotto_[0])) {
            voce(static_cast<const VoceElenco&>(lotto_[0].voce));
        }
    }
}

template <class F>
void ElencoCodici::LeggiRiga(std::uint64_t riga, std::span<const std::string_view> celle,
                             F&& voce) {
    // A spreadsheet's rows are read as text would be, the cells quoted and joined with a tab;
    // the rows it leaves out are blank lines.
    std::string testo;
    while (++consegnate_ < riga) {
        testo += '\n';
    }
    for (std::size_t i = 0; i < celle.size(); ++i) {
        if (i > 0) {
            testo += '\t';
        }
        testo += '"';
        for (char c : celle[i]) {
            testo += c;
            if (c == '"') {
                testo += '"';
            }
        }
        testo += '"';
    }
    testo += '\n';
    codifica_ = Codifica::Utf8;
    separatoreFisso_ = '\t';
    Leggi(testo, voce);
}

// Why a code is wrong, or the notes on a right one, as a short Italian phrase ("mese non
// valido", "omocodico, duplicato della riga 3", "codice calcolato"); empty for a plain right
// code. UTF-8.
std::string Motivo(const VoceElenco& voce);

// CSV, separated by semicolons, UTF-8: a text field is quoted when it needs it, and bytes that
// are no UTF-8 text become U+FFFD.
inline constexpr std::string_view kIntestazioneVerifica = "riga;codice;esito;motivo\n";
inline constexpr std::string_view kIntestazioneDecodifica =
    "riga;codice;cognome;nome;sesso;data;comune;provincia;codice_catastale\n";
void ScriviVerifica(std::string& out, const VoceElenco& voce);
// The same line from what a table of results keeps of it.
void ScriviVerifica(std::string& out, std::uint64_t riga, std::string_view codice,
                    std::string_view esito, std::string_view motivo);
// One field of such a line, quoted when it needs it.
void ScriviCampo(std::string& out, std::string_view testo);
// CORRETTO, ERRATO or NON CORRISPONDE.
std::string_view Esito(const VoceElenco& voce);
// A person and the code composed for it, or why none could be.
inline constexpr std::string_view kIntestazioneComponi =
    "riga;cognome;nome;sesso;data;comune;provincia;codice\n";
void ScriviComponi(std::string& out, const VoceElenco& voce);
// What a code carries: `dati` is null for a code that carries nothing (a wrong one, or a
// numeric one); `comune` and `provincia` come from the register, empty when it has nothing.
void ScriviDecodifica(std::string& out, const VoceElenco& voce, const DatiCodice* dati,
                      std::u16string_view comune, std::u16string_view provincia);
// "N codici: C corretti, E errati, D duplicati", singular where a count is one; the counts
// that are nought are left out ("1 codice: 1 corretto").
std::string TestoRiepilogo(const Riepilogo& r);

}  // namespace NODREL1
