#pragma once

#include <QAbstractTableModel>
#include <QDialog>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/elenco.h"
#include "engine/registro.h"

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTableView;
class QThread;

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
    void ImpostaForma(const NODREL1::FormaElenco& forma, int celle);
    const NODREL1::FormaElenco& Forma() const { return forma_; }
    // The list's columns shown after the four, by their place in its rows.
    const std::vector<int>& Proprie() const { return proprie_; }
    // Rows as Scrivi writes them, one after the other in `righe`.
    void Aggiungi(const std::string& righe);
    // Room for the places of `righe` rows at once, rather than growing by doubling.
    void Riserva(std::size_t righe) { tutte_.reserve(righe); }
    static void Scrivi(std::string& righe, const NODREL1::VoceElenco& voce);

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
    const NODREL1::Riepilogo& Totali() const { return totali_; }

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
    NODREL1::FormaElenco forma_;
    int celle_ = 0;
    std::vector<int> proprie_;  // the list's columns shown, the code's left out
    NODREL1::Riepilogo totali_;
};

// The window that checks a whole list of codes, from a file (text, CSV, .xlsx, .ods) or pasted,
// off the user-interface thread: a million codes leave the window free, with a progress bar and
// a way to stop. A window of its own, owned by the main window, which goes on working beside
// it; a double-click copies a row's person (or code) into it.
class Form4 : public QDialog {
    Q_OBJECT

public:
    explicit Form4(QWidget* proprietario);
    ~Form4() override;

    QPushButton* Command1;  // "Apri file..."
    QPushButton* Command2;  // "Incolla elenco"
    QPushButton* Command3;  // "Salva risultati..."
    QPushButton* Command4;  // "Interrompi"
    QPushButton* Command5;  // "Chiudi"
    QCheckBox* Check1;      // "Solo errati"
    QLabel* Label1;         // the summary
    QProgressBar* ProgressBar1;
    QTableView* Grid1;

    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Check1_Click();
    void Grid1_DblClick(const QModelIndex& indice);

    // Checks a file, or a text given as it is; the work goes on in the background.
    void VerificaFile(const QString& percorso);
    void VerificaTesto(const QByteArray& testo);
    bool InCorso() const { return lavoro_ != nullptr; }
    // The main window's register, which the background check reads too: it never changes. Without
    // one the window opens the register itself for each list.
    void ImpostaRegistro(std::shared_ptr<const NODREL1::Registro> registro) {
        registro_ = std::move(registro);
    }

    // Escape closes as the close box does, asking first about results not saved.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* evento) override;

private:
    // `leggi` fills its buffer and returns how much it read, 0 at the end, -1 on a failure.
    using Lettore = std::function<qint64(char* dati, qint64 quanto)>;
    // `riavvolgi`, for a file, starts it again from its first byte: it is then read twice.
    void Avvia(Lettore leggi, const QString& foglio, qint64 totale, const QString& nome,
               std::function<bool()> riavvolgi = {});
    void Ferma();
    void Ricevi(std::string righe, const NODREL1::FormaElenco& forma, int celle, qint64 letti);
    void Finito(bool fallito, const QString& errore);
    void AggiornaPulsanti();
    void MostraRiepilogo();
    bool Salva();

    ModelloElenco* modello_;
    QThread* lavoro_ = nullptr;
    std::shared_ptr<std::atomic<bool>> interrompi_;
    // The bytes of rows sent to the table and not yet taken.
    std::shared_ptr<std::atomic<std::int64_t>> inViaggio_ =
        std::make_shared<std::atomic<std::int64_t>>(0);
    int corsa_ = 0;  // the list being checked; results of an earlier one are dropped
    qint64 totale_ = 0;
    QString nome_;
    bool interrotto_ = false;
    bool salvato_ = true;           // nothing to lose on closing
    bool larghezzeScelte_ = false;  // the user resized a column of the results
    std::shared_ptr<const NODREL1::Registro> registro_;
};

}  // namespace nodrel
