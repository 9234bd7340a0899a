#pragma once

// The results of a list as an Excel workbook (.xlsx), for the clerk to open in the spreadsheet
// the list came from: the row's number, the list's own columns, the outcome and the reason, each
// cell a text as the list had it (a code keeps its noughts), the header in bold and kept in view,
// the columns as wide as their texts.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class QuaZip;
class QuaZipFile;

namespace nodrel {

class FoglioRisultati {
public:
    // A workbook to be written at `percorso` with these columns; nothing is there until
    // Chiudi, which writes it whole under another name first, so a failure leaves no half file.
    FoglioRisultati(std::string percorso, std::vector<std::string> colonne);
    ~FoglioRisultati();
    FoglioRisultati(const FoglioRisultati&) = delete;
    FoglioRisultati& operator=(const FoglioRisultati&) = delete;

    // One row: its number in the list, and its cells in the columns' order (UTF-8).
    void Riga(std::uint64_t numero, std::span<const std::string_view> celle);
    // Writes the file; false with the reason, in Italian.
    bool Chiudi(std::string& perche);

private:
    struct Riga_ {
        std::uint64_t numero;
        std::vector<std::string> celle;
    };
    void Scrivi(std::uint64_t numero, std::span<const std::string_view> celle);
    // The sheet's XML so far into its entry.
    void Versa();
    void IniziaFoglio();
    void FinisciFoglio();
    // The rows held so far, which tell the columns' widths, written.
    void Svuota();

    std::string percorso_;
    std::string provvisorio_;
    std::vector<std::string> colonne_;
    std::unique_ptr<QuaZip> zip_;
    std::unique_ptr<QuaZipFile> foglio_;
    std::vector<Riga_> tenute_;
    std::vector<std::size_t> larghezze_;
    std::string xml_;
    int fogli_ = 0;
    std::uint32_t righe_ = 0;  // of the sheet being written, its header included
    bool fallito_ = false;
};

}  // namespace nodrel
