// Faults that the checks of the register's fuzz target brought to light, kept from coming back.

#include <array>

#include "engine/nodrel1.h"
#include "engine/testo.h"
#include "register/comuni.h"
#include "register/costruisci.h"
#include "register_support.h"

namespace {

using namespace prova;
using NODREL1::Campo;

// Keeps the fields that decoding fills.
class Finestra : public NODREL1::Finestra {
public:
    std::array<std::u16string, 7> campi;
    std::vector<std::u16string> messaggi;

    std::u16string Testo(Campo c) override { return campi[static_cast<std::size_t>(c)]; }
    void ImpostaTesto(Campo c, const std::u16string& t) override {
        campi[static_cast<std::size_t>(c)] = t;
    }
    void DaiFuoco(Campo) override {}
    void SelezionaTutto(Campo) override {}
    void SelezionaSesso(int) override {}
    void MsgBox(const std::u16string& testo) override { messaggi.push_back(testo); }
    void AccendiMaiuscole() override {}
};

// The tool once accepted codes that decoding could never look up (a character beyond U+FFFF, and
// now anything but a letter and three digits). Every code the tool accepts must be found again
// by decoding a fiscal code that carries it.
TEST(RegisterFuzzFindings, EveryCodeTheToolAcceptsIsFoundByDecoding) {
    const struct {
        std::string codice;
        bool accettato;
        const char* perche;
    } casi[] = {
        {"H501", true, "a letter and three digits"},
        {"Z999", true, "the last code there can be"},
        {"\xC3\x80\xC3\x88\xC3\x8C\xC3\x92", false, "four accented letters: no code"},
        {"A\xF0\x9F\x98\x80"
         "B",
         false, "one character beyond U+FFFF and two letters"},
        {"h501", false, "a code in lower case"},
        {"HL01", false, "an omocode letter: decoding reads it as a digit"},
        {"H50", false, "three characters"},
    };
    for (const auto& c : casi) {
        SCOPED_TRACE(c.perche);
        CartellaTemporanea cartella;
        const std::string csv = "COMU_COD,COMU_DESCR,COMU_PROV\n" + c.codice + ",ROMA,RM\n";
        bool accettato = true;
        try {
            nodrel::LeggiComuni(csv);
        } catch (const nodrel::ErroreCostruzione& e) {
            accettato = false;
            EXPECT_EQ(e.Riga(), 2) << e.what();
        }
        EXPECT_EQ(accettato, c.accettato);
        if (!accettato) {
            continue;
        }
        ScriviFile(cartella / "comuni.csv", csv);
        nodrel::CostruisciRegistro(cartella / "comuni.csv", cartella / "Comuni.mdb");
        NODREL1::DbComuni = nodrel::ApriDatabase((cartella / "Comuni.mdb").u16string());
        NODREL1::RsComuni = NODREL1::DbComuni->OpenRecordset(u"Comuni");
        Finestra finestra;
        NODREL1::CollegaFinestra(&finestra);
        const std::u16string base = u"RSSMRA80A01" + NODREL1::Utf16(c.codice);
        NODREL1::EstraiDati(base + NODREL1::CarattereControllo(base));
        NODREL1::CollegaFinestra(nullptr);
        NODREL1::RsComuni.reset();
        NODREL1::DbComuni.reset();
        EXPECT_TRUE(finestra.messaggi.empty()) << NODREL1::Utf8(finestra.messaggi.front());
        EXPECT_EQ(finestra.campi[static_cast<std::size_t>(Campo::Text8)], NODREL1::Utf16(c.codice));
        EXPECT_EQ(finestra.campi[static_cast<std::size_t>(Campo::Text5)], u"ROMA");
    }
}

}  // namespace
