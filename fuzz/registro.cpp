// The build tool's reading of the list and writing of the register, from any bytes as the CSV
// text. A list it accepts must give a register that the program opens and that answers every
// municipality of the list by code and by name.

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "engine/nodrel1.h"
#include "engine/testo.h"
#include "fuzz/ingresso.h"
#include "register/comuni.h"
#include "register/costruisci.h"

namespace {

namespace fs = std::filesystem;

fs::path cartella;

void Rimuovi() {
    std::error_code ec;
    fs::remove_all(cartella, ec);
}

bool UgualiSenzaMaiuscole(std::u16string_view a, std::u16string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char16_t x, char16_t y) {
        auto minuscola = [](char16_t c) { return c >= u'A' && c <= u'Z' ? c - u'A' + u'a' : c; };
        return minuscola(x) == minuscola(y);
    });
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    cartella = fs::temp_directory_path() / ("nodrel-fuzz-registro-" + std::to_string(getpid()));
    fs::create_directories(cartella);
    std::atexit(Rimuovi);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t n) {
    const std::string_view csv(reinterpret_cast<const char*>(dati), n);
    std::vector<nodrel::RigaComune> comuni;
    try {
        comuni = nodrel::LeggiComuni(csv);
    } catch (const nodrel::ErroreCostruzione& e) {
        fuzz::Esigi(e.Riga() >= 0, "a line number or 0");
        return 0;
    }
    fuzz::Esigi(!comuni.empty(), "an accepted list has a municipality");

    const fs::path file = cartella / "comuni.csv";
    const fs::path registro = cartella / "Comuni.mdb";
    std::ofstream(file, std::ios::binary | std::ios::trunc)
        .write(csv.data(), static_cast<std::streamsize>(n));
    nodrel::CostruisciRegistro(file, registro);

    NODREL1::DbComuni = nodrel::ApriDatabase(registro.u16string());
    NODREL1::RsComuni = NODREL1::DbComuni->OpenRecordset(u"Comuni");
    for (const nodrel::RigaComune& c : comuni) {
        const std::u16string codice = NODREL1::Utf16(c.codice);
        const std::u16string nome = NODREL1::Utf16(c.nome);
        // Decoding looks up the four characters (UTF-16 units) that stand in the code.
        fuzz::Esigi(codice.size() == 4, "every code can be looked up by decoding");
        fuzz::Esigi(
            NODREL1::CercaPerCodice(codice) && NODREL1::RsComuni->Field(u"COMU_COD") == codice,
            "every code of the list is found");
        fuzz::Esigi(NODREL1::CercaPerNome(nome) &&
                        UgualiSenzaMaiuscole(NODREL1::RsComuni->Field(u"COMU_DESCR"), nome),
                    "every name of the list is found");
    }
    NODREL1::RsComuni.reset();
    NODREL1::DbComuni.reset();
    return 0;
}
