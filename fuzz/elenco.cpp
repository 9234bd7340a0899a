// A list of codes from any bytes, handed over in two pieces cut where the first byte says: the
// lines and outcomes do not depend on the cut, and each outcome is that of the code alone.

#include <memory>
#include <string>
#include <vector>

#include "engine/esame.h"
#include "engine/testo.h"
#include "ingresso.h"
#include "lists/lettura.h"
#include "lists/scrittura.h"

namespace {

// Every municipality known but those whose code ends in 9, each in force for ever.
const NODREL1::Registro& Registro() {
    static const NODREL1::Registro registro = [] {
        std::vector<NODREL1::Comune> righe;
        for (std::uint32_t i = 0; i < NODREL1::kComuni; ++i) {
            const auto c = NODREL1::CatastaleDi(i);
            if (c[3] != u'9') {
                const std::u16string codice(c.begin(), c.end());
                // Some names as a CSV field must quote.
                righe.push_back({codice,
                                 c[3] == u'8' ? u"C\"" + codice + u"; \u00C8" : u"C" + codice,
                                 u"XX", u"0001-01-01", u"9999-12-31"});
            }
        }
        return NODREL1::Registro(std::move(righe));
    }();
    return registro;
}

// Decoding's line as the engine's DatiCodice and the register's record give it.
std::string Decodificata(const nodrel::VoceElenco& v) {
    std::string riga = std::to_string(v.riga) + ";";
    nodrel::ScriviCampo(riga, v.codice);
    const auto dati =
        v.esame.Corretto() ? NODREL1::LeggiCodice(NODREL1::Utf16(v.codice)) : std::nullopt;
    if (!dati) {
        return riga + ";;;;;;;\n";
    }
    const NODREL1::Comune* c = Registro().PerCodice(dati->catastale);
    for (const std::u16string& campo :
         {dati->cognome, dati->nome, std::u16string(dati->donna ? u"F" : u"M"), dati->data,
          c != nullptr ? c->nome : u"", c != nullptr ? c->provincia : u"", dati->catastale}) {
        riga += ';';
        nodrel::ScriviCampo(riga, NODREL1::Utf8(campo));
    }
    return riga + "\n";
}

// The command line's CSV, each row's outcome checked against its code's alone; `atteso` gathers
// the decoding lines each row should have.
class Csv : public nodrel::UscitaCsv {
public:
    Csv(Compito compito, std::string& out, nodrel::RegistroAtteso& registro)
        : UscitaCsv(
              compito, [&out](std::string_view testo) { out += testo; }, &registro) {}
    void Voce(const nodrel::VoceElenco& v) override {
        const NODREL1::Esame da_solo = NODREL1::EsaminaCodice(NODREL1::Utf16(v.codice));
        fuzz::Esigi(v.esame.difetto == da_solo.difetto && v.esame.posizione == da_solo.posizione &&
                        v.esame.atteso == da_solo.atteso && v.esame.omocodico == da_solo.omocodico,
                    "a line's outcome is its code's");
        atteso += Decodificata(v);
        UscitaCsv::Voce(v);
    }
    std::string atteso;
};

class Nessuna : public nodrel::Destinazione {
public:
    void Voce(const nodrel::VoceElenco&) override {
        fuzz::Esigi(false, "the first reading hands no row");
    }
};

// With `dueLetture`, read as a file is: a first reading that only marks the codes, then the
// reading proper; with `parallelo` too, its plain lines written on two threads.
// With `decodifica`, decoding's lines, which a single reading checks against the engine's.
std::string Verifica(std::string_view testo, std::size_t taglio, bool dueLetture = false,
                     bool parallelo = false, bool decodifica = false) {
    nodrel::RegistroAtteso registro(
        std::shared_ptr<const NODREL1::Registro>(&Registro(), [](const auto*) {}));
    nodrel::Lettura elenco({&registro, NODREL1::Oggi(), false, parallelo, 2});
    std::string out;
    Csv csv(decodifica ? Csv::Compito::Decodifica : Csv::Compito::Verifica, out, registro);
    if (dueLetture) {
        elenco.PrimaLettura();
        Nessuna niente;
        elenco.Leggi(testo.substr(0, taglio), niente);
        elenco.Leggi(testo.substr(taglio), niente);
        elenco.Fine(niente);
        elenco.SecondaLettura();
    }
    elenco.Leggi(testo.substr(0, taglio), csv);
    elenco.Leggi(testo.substr(taglio), csv);
    elenco.Fine(csv);
    const nodrel::Riepilogo& r = elenco.Totali();
    fuzz::Esigi(r.codici == r.corretti + r.errati + r.nonCorrispondenti &&
                    r.duplicati <= r.corretti + r.nonCorrispondenti,
                "the counts add up");
    csv.Svuota();
    fuzz::Esigi(!decodifica || dueLetture ||
                    out == std::string(nodrel::kIntestazioneDecodifica) + csv.atteso,
                "a decoded line is what the engine reads in the code");
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t n) {
    if (n == 0) {
        return 0;
    }
    const std::string_view testo(reinterpret_cast<const char*>(dati + 1), n - 1);
    const std::size_t taglio = dati[0] % (testo.size() + 1);
    const std::string una = Verifica(testo, testo.size());
    fuzz::Esigi(Verifica(testo, taglio) == una, "the lines do not depend on how the text comes");
    fuzz::Esigi(Verifica(testo, taglio, true) == una, "reading twice finds the same duplicates");
    fuzz::Esigi(Verifica(testo, taglio, false, true) == una, "two threads judge as one");
    fuzz::Esigi(Verifica(testo, taglio, true, true) == una, "two threads write the same lines");
    fuzz::Esigi(
        Verifica(testo, taglio, true, true, true) == Verifica(testo, taglio, false, false, true),
        "two threads decode as one");
    return 0;
}
