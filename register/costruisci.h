#pragma once

// Turns the municipality list (CSV) into the register file that the program opens.

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace nodrel {

struct RigaComune {
    std::string codice;     // COMU_COD
    std::string nome;       // COMU_DESCR
    std::string provincia;  // COMU_PROV
};

// A fault in the list or in writing the file. `Riga()` is the CSV line it was found on, 0 when
// the fault belongs to no line.
class ErroreCostruzione : public std::runtime_error {
public:
    ErroreCostruzione(long riga, const std::string& messaggio)
        : std::runtime_error(messaggio), riga_(riga) {}
    long Riga() const noexcept { return riga_; }

private:
    long riga_;
};

// Reads the CSV text: header "COMU_COD,COMU_DESCR,COMU_PROV", then one municipality per record,
// RFC 4180 quoting. Any malformed record stops the reading with its line number.
std::vector<RigaComune> LeggiComuni(std::string_view csv);

// Writes the register from the CSV file. The file appears only complete: it is built beside the
// target under another name and renamed at the end, so a failed build leaves no file of either
// name (an earlier register at `registro` stays as it was).
void CostruisciRegistro(const std::filesystem::path& csv, const std::filesystem::path& registro);

}  // namespace nodrel
