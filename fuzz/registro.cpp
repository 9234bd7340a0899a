// The build tool's reading of the two lists and writing of the register, from any bytes: the
// municipality archive up to the first NUL byte, the table of foreign states after it (one state
// when there is no NUL). Lists it accepts must give a register that the program opens and that
// finds every row by code and by name, the way the table's order promises.

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "engine/nodrel1.h"
#include "engine/testo.h"
#include "ingresso.h"
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
    const std::string_view ingresso(reinterpret_cast<const char*>(dati), n);
    const std::size_t nul = ingresso.find('\0');
    const std::string_view liste[2] = {
        ingresso.substr(0, nul), nul != std::string_view::npos
                                     ? ingresso.substr(nul + 1)
                                     : "CODAT,DENOMINAZIONE,DATAINIZIOVALIDITA,DATAFINEVALIDITA\n"
                                       "Z404,STATI UNITI D'AMERICA,01/01/1900,31/12/9999\n"};
    std::vector<nodrel::RigaComune> righe;
    try {
        righe = nodrel::LeggiArchivioComuni(liste[0]);
        for (nodrel::RigaComune& r : nodrel::LeggiStatiEsteri(liste[1])) {
            righe.push_back(std::move(r));
        }
    } catch (const nodrel::ErroreCostruzione& e) {
        fuzz::Esigi(e.Riga() >= 0, "a line number or 0");
        return 0;
    }
    righe = nodrel::RigheRegistro(righe);

    const fs::path file[2] = {cartella / "archivio.csv", cartella / "stati.csv"};
    const fs::path registro = cartella / "Comuni.mdb";
    for (int i = 0; i < 2; ++i) {
        std::ofstream(file[i], std::ios::binary | std::ios::trunc)
            .write(liste[i].data(), static_cast<std::streamsize>(liste[i].size()));
    }
    nodrel::CostruisciRegistro(file[0], file[1], registro);

    const auto comuni = nodrel::ApriRegistro(registro.u16string());
    for (const nodrel::RigaComune& c : righe) {
        const std::u16string codice = NODREL1::Utf16(c.codice);
        const std::u16string nome = NODREL1::Utf16(c.nome);
        // Rows are kept in the order given and lookups break ties by row: a code is found
        // under its first row, its name of today.
        const auto perCodice = std::find_if(righe.begin(), righe.end(),
                                            [&](const auto& r) { return r.codice == c.codice; });
        // Decoding looks up the four characters (UTF-16 units) that stand in the code.
        fuzz::Esigi(codice.size() == 4, "every code can be looked up by decoding");
        const NODREL1::Comune* trovato = comuni->PerCodice(codice);
        fuzz::Esigi(trovato != nullptr && trovato->nome == NODREL1::Utf16(perCodice->nome),
                    "every code of the list is found under its first row");
        const auto primo = comuni->PrimoDa(nome);
        fuzz::Esigi(primo && UgualiSenzaMaiuscole((*comuni)[*primo].nome, nome),
                    "every name of the list is found");
    }
    return 0;
}
