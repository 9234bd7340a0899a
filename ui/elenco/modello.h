#pragma once

#include <QAbstractTableModel>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "lists/forma.h"
#include "lists/voce.h"

namespace nodrel {

// The results of a list: riga, codice, esito, motivo and the list's own columns; sorted by any
// column on request, or only the wrong ones shown. Each row is kept as a few bytes in large
// blocks, with one number to find it: a list of millions takes tens of bytes a code, and all of
// it goes when the table does.
class ModelloElenco : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Esito : std::uint8_t { Corretto, Errato, NonCorrisponde };
    // What the table keeps of a row; the texts are UTF-8, valid while the table is unchanged.
    struct Riga {
        std::uint64_t riga = 0;
        Esito esito = Corretto;
        bool duplicato = false;
        bool calcolato = false;
        std::string_view codice;
        std::string_view motivo;
        std::vector<std::string_view> celle;  // every cell of the list's row; none for a list
                                              // of codes alone
    };

    using QAbstractTableModel::QAbstractTableModel;

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
    void sort(int colonna, Qt::SortOrder ordine) override;

    void Svuota();
    // The list's layout: its own columns beside the four of the results.
    void ImpostaForma(const FormaElenco& forma, int celle);
    const FormaElenco& Forma() const { return forma_; }
    // The most cells a row of the list had.
    int Celle() const { return celle_; }
    // The list's columns shown after the four, by their place in its rows.
    const std::vector<int>& Proprie() const { return proprie_; }
    // Rows as Scrivi writes them, one after the other in `righe`.
    void Aggiungi(const std::string& righe);
    // Room for the places of `righe` rows at once, rather than growing by doubling.
    void Riserva(std::size_t righe) { tutte_.reserve(righe); }
    static void Scrivi(std::string& righe, const VoceElenco& voce);

    // Only the wrong ones (ERRATO, NON CORRISPONDE) shown, or all.
    void SoloErrati(bool solo);
    bool SoloErrati() const { return soloErrati_; }
    std::size_t Tutte() const { return tutte_.size(); }
    // The rows the filter and the order show, whether or not the view has them yet.
    std::size_t Mostrabili() const;
    // The row shown at `i`, or any row by its place among all.
    Riga Mostrata(std::size_t i) const;
    Riga DiTutte(std::size_t i) const { return Leggi(tutte_[i]); }
    // The counts of all the rows received.
    const Riepilogo& Totali() const { return totali_; }

private:
    static constexpr std::size_t kBlocco = std::size_t{1} << 24;
    Riga Leggi(std::uint64_t posto) const;
    const char* Dati(std::uint64_t posto) const {
        return blocchi_[posto / kBlocco].get() + posto % kBlocco;
    }
    bool Mostra(std::uint64_t posto) const;
    // Rebuilds the rows shown from all, in the order asked.
    void Rifai();

    std::vector<std::unique_ptr<char[]>> blocchi_;
    std::size_t usato_ = kBlocco;       // of the last block
    std::vector<std::uint64_t> tutte_;  // as they came
    std::vector<std::uint64_t> vista_;  // shown, when sorted or filtered
    std::size_t esposte_ = 0;           // the first rows shown, those the view has
    static constexpr std::size_t kPasso = 100000;
    bool soloErrati_ = false;
    int colonnaOrdine_ = 0;
    Qt::SortOrder ordine_ = Qt::AscendingOrder;
    FormaElenco forma_;
    int celle_ = 0;
    std::vector<int> proprie_;  // the list's columns shown, the code's left out
    Riepilogo totali_;
};

}  // namespace nodrel
