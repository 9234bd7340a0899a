// Date and sex group, and the date check, from any two texts: the date, then the sex.

#include "engine/nodrel1.h"
#include "ingresso.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t n) {
    const std::u16string testo = fuzz::Testo(dati, n);
    std::u16string_view resto = testo;
    const std::u16string data = fuzz::Prendi(resto);
    const std::u16string sesso(resto);

    fuzz::Esigi(NODREL1::CodiceDataSesso(data, sesso).size() <= 5,
                "year, month letter and day: five characters at most");
    NODREL1::ControllaData(data);
    NODREL1::ControllaData(sesso);
    return 0;
}
