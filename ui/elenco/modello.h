#pragma once

#include <sys/stat.h>

#include <QAbstractTableModel>
#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "lists/codifica.h"
#include "lists/forma.h"
#include "lists/voce.h"

namespace nodrel {

// The results of a list: riga, codice, esito, motivo and the list's own columns; sorted by any
// column on request, or only the wrong ones shown. A row is kept in a few bytes: its outcome, its
// place in the list and the number of its reason among those met; the text of the rows shown is
// read again from the list (the file, held open, or the text pasted) and split as the run split
// it. A spreadsheet's rows bring their cells, which are kept packed.
class ModelloElenco : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Esito : std::uint8_t { Corretto, Errato, NonCorrisponde };

    // A row as the table gives it; its texts are UTF-8 in the row's own room, valid until the
    // row is read into again.
    class Riga {
    public:
        Riga() = default;
        Riga(const Riga&) = delete;
        Riga& operator=(const Riga&) = delete;

        std::uint64_t riga = 0;
        Esito esito = Corretto;
        bool duplicato = false;
        bool calcolato = false;
        // Its text was read as the run read it; false when the list has changed since, and the
        // row has only its outcome.
        bool letta = true;
        std::string_view codice;
        std::string_view motivo;
        std::vector<std::string_view> celle;  // every cell of the list's row; none for a list
                                              // of codes alone

    private:
        friend class ModelloElenco;
        std::string testo_;
        std::string pulito_;
        std::string motivo_;
        std::string codice_;
        std::size_t indice_ = SIZE_MAX;  // of the row held, among all
    };

    // A reason met, once: its text, and where a duplicate's first row goes in it.
    struct Motivo {
        std::string testo;
        std::size_t dove = std::string::npos;
    };
    // What does not fit a row's few bytes, kept aside.
    struct Eccezione {
        std::uint64_t indice = 0;  // of the row, in its lot and then among all
        std::uint64_t posto = 0;
        std::uint64_t riga = 0;
        std::uint32_t motivo = 0;
        std::uint64_t duplicatoDi = 0;
        std::string codice;  // composed
    };
    // Rows as the table keeps them, gathered on the run's thread (Raccolta) and taken by the
    // table a lot at a time (Aggiungi).
    struct Lotto {
        std::vector<std::uint64_t> righe;
        std::vector<std::uint16_t> impronte;
        std::vector<std::uint32_t> duplicati;  // the first row of each duplicate, in order
        std::vector<std::uint64_t> calcolati;  // each composed code, packed
        std::vector<Eccezione> eccezioni;
        std::vector<Motivo> motivi;  // those first met in this lot
        std::string celle;           // a spreadsheet's rows' cells, packed
        std::string semplici;        // the lines of plain rows, read by the table (Righe)
        FormaElenco forma;
        int celleMassime = 0;
        Codifica::Tipo conversione = Codifica::Tipo::Utf8;
        std::size_t Byte() const;
        // Empty again, its room kept for the next lot.
        void Svuota();
    };
    // Makes the lots on the run's thread, from each row as the run hands it.
    class Raccolta {
    public:
        // `foglio`: the rows are a spreadsheet's, whose cells are kept.
        explicit Raccolta(bool foglio) : foglio_(foglio) {}
        void Aggiungi(const VoceElenco& voce);
        // The verification lines of plain rows (riga;codice;esito;motivo), as the run writes
        // them for runs of such rows, of rows from the one numbered `primo`, with where each
        // row begins: the table reads them when it takes the lot, on its own thread.
        void Righe(std::string_view righe, std::uint64_t primo,
                   std::span<const std::uint64_t> posti);
        const Lotto& Attuale() const { return lotto_; }
        Lotto& Attuale() { return lotto_; }
        // The lot so far, `vuoto` taking its place.
        void Prendi(Lotto& vuoto);

    private:
        std::uint32_t NumeroMotivo(const VoceElenco& voce);
        std::uint32_t NumeroMotivo(Motivo m);
        void Metti(std::uint64_t posto, std::uint64_t riga, Esito esito, bool duplicato,
                   bool calcolato, std::uint32_t motivo, std::uint64_t duplicatoDi,
                   std::string_view codice, std::uint16_t impronta);
        bool foglio_;
        Lotto lotto_;
        std::uint64_t ultima_ = 0;  // the number of the last row
        std::uint64_t celle_ = 0;   // the bytes of cells of the lots before
        std::unordered_map<std::string, std::uint32_t> motivi_;
        // The reasons that depend only on the outcome, by a key of it.
        std::array<std::pair<std::uint32_t, std::uint32_t>, 64> recenti_{};
        std::pair<std::uint32_t, std::uint32_t> ultimo_{};
    };

    explicit ModelloElenco(QObject* genitore = nullptr);
    ~ModelloElenco() override;

    // CORRETTO, ERRATO or NON CORRISPONDE.
    static std::string_view NomeEsito(Esito esito);

    int rowCount(const QModelIndex& genitore = {}) const override;
    // The view is handed the rows a step at a time, as it scrolls to them: each row it knows
    // costs the view bytes of its own, which ten million rows would make hundreds of megabytes.
    bool canFetchMore(const QModelIndex& genitore) const override;
    void fetchMore(const QModelIndex& genitore) override;
    int columnCount(const QModelIndex& genitore = {}) const override;
    QVariant data(const QModelIndex& indice, int ruolo) const override;
    QVariant headerData(int sezione, Qt::Orientation verso, int ruolo) const override;
    // By a column of text the rows are read again, eight bytes of the text at a time: a reading
    // of the list, and one more only for rows whose first bytes are alike.
    void sort(int colonna, Qt::SortOrder ordine) override;

    void Svuota();
    // Where the rows' texts are read again from: the list's file, open as the run reads it
    // (held, so that a file replaced by another keeps its rows; one written over is told by its
    // size and times), or the text given; for a spreadsheet neither.
    void Leggibile(int file);
    void Leggibile(std::string testo);
    const FormaElenco& Forma() const { return forma_; }
    // The most cells a row of the list had.
    int Celle() const { return celle_; }
    // The list's columns shown after the four, by their place in its rows.
    const std::vector<int>& Proprie() const { return proprie_; }
    void Aggiungi(const Lotto& lotto);

    // Only the wrong ones (ERRATO, NON CORRISPONDE) shown, or all.
    void SoloErrati(bool solo);
    bool SoloErrati() const { return soloErrati_; }
    std::size_t Tutte() const { return righe_.size(); }
    // The rows the filter and the order show, whether or not the view has them yet.
    std::size_t Mostrabili() const;
    // The row shown at `i`, or any row by its place among all.
    void Mostrata(std::size_t i, Riga& r) const { DiTutte(Indice(i), r); }
    void DiTutte(std::size_t i, Riga& r) const { Leggi(i, r, true); }
    // The counts of all the rows received.
    const Riepilogo& Totali() const { return totali_; }
    // The list changed after its rows were read, or could not be read again (ErroreLettura, the
    // system's error number; 0 for a change): the rows' texts are gone.
    bool Cambiato() const { return cambiato_; }
    int ErroreLettura() const { return errore_; }

signals:
    // Told once, when a row's text is found not to be the one its outcome is of.
    void Cambia();

private:
    // A sequence of values in pieces of their own, which grows without copying what it holds.
    template <class T>
    class Fila {
    public:
        void push_back(T valore) {
            if (n_ % kPezzo == 0) {
                pezzi_.push_back(std::make_unique_for_overwrite<T[]>(kPezzo));
            }
            pezzi_.back()[n_++ % kPezzo] = valore;
        }
        T operator[](std::size_t i) const { return pezzi_[i / kPezzo][i % kPezzo]; }
        std::size_t size() const { return n_; }
        void clear() {
            pezzi_.clear();
            pezzi_.shrink_to_fit();
            n_ = 0;
        }

    private:
        static constexpr std::size_t kPezzo = std::size_t{1} << 16;
        std::vector<std::unique_ptr<T[]>> pezzi_;
        std::size_t n_ = 0;
    };
    // Every kBlocco rows, what counting from the block's first row needs.
    static constexpr std::size_t kBlocco = 64;
    struct Blocco {
        std::uint64_t riga;
        std::uint32_t duplicati;  // before the block
        std::uint32_t calcolati;
    };

    std::size_t Indice(std::size_t mostrata) const;
    void Leggi(std::size_t i, Riga& r, bool testo) const;
    // The bytes of the list from `posto` on, at least kByteRiga unless the list ends first; empty
    // when they can no longer be read as the run read them.
    std::string_view Byte(std::uint64_t posto) const;
    const Eccezione* Eccezionale(std::size_t i) const;
    const Motivo& MotivoDi(std::uint32_t numero) const;
    // The outcome and reason a plain row's line ends with.
    std::pair<Esito, std::uint32_t> Coda(std::string_view coda);
    void SegnaCambiato(int errore = 0) const;
    const Riga& Vista(std::size_t indice) const;
    bool Mostra(std::size_t i) const;
    // Rebuilds the rows shown from all, in the order asked.
    void Rifai();
    void OrdinaPerTesto(int colonna);
    void Chiudi();

    Fila<std::uint64_t> righe_;  // as they came
    Fila<std::uint16_t> impronte_;
    Fila<std::uint32_t> duplicati_;
    Fila<std::uint64_t> calcolati_;
    std::vector<Blocco> blocchi_;
    std::vector<Eccezione> eccezioni_;
    std::vector<Motivo> motivi_;
    // The reasons of plain rows' lines, by their own numbers (kSemplici on), and the last tails
    // of lines met, two places each.
    std::vector<Motivo> motiviSemplici_;
    struct CodaLetta {
        std::string testo;
        Esito esito = Corretto;
        std::uint32_t numero = 0;
    };
    std::array<CodaLetta, 256> code_{};
    std::vector<std::pair<std::uint64_t, std::string>> fogli_;  // a spreadsheet's cells, by lot
    std::uint64_t ultima_ = 0;          // the number of the last row received
    std::vector<std::uint32_t> vista_;  // shown, when sorted or filtered
    std::size_t esposte_ = 0;           // the first rows shown, those the view has
    static constexpr std::size_t kPasso = 100000;
    bool soloErrati_ = false;
    int colonnaOrdine_ = 0;
    Qt::SortOrder ordine_ = Qt::AscendingOrder;
    FormaElenco forma_;
    int celle_ = 0;
    Codifica::Tipo conversione_ = Codifica::Tipo::Utf8;
    std::vector<int> proprie_;  // the list's columns shown, the code's left out
    Riepilogo totali_;

    // Where the texts come from, and the file's state when its reading began.
    int file_ = -1;
    struct stat stato_ {};
    std::string testo_;
    bool foglio_ = true;
    mutable bool cambiato_ = false;
    mutable int errore_ = 0;
    // The bytes of the file last read, from inizio_; they may reach its end.
    mutable std::string finestra_;
    mutable std::uint64_t inizio_ = 0;
    mutable bool finale_ = false;
    // The rows the view asked for last, by their place among all.
    static constexpr std::size_t kViste = 64;
    mutable std::array<Riga, kViste> viste_;
};

}  // namespace nodrel
