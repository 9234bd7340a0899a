// Lists of codes: each line's outcome and reason, the files as offices keep them, and the CSV
// written for them.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <optional>
#include <string>

#include <future>
#include <memory>

#include "engine/testo.h"
#include "lists/lettura.h"
#include "lists/scrittura.h"

namespace {

using nodrel::Lettura;
using nodrel::VoceElenco;

// A first reading hands no row.
class Nessuna : public nodrel::Destinazione {
public:
    void Voce(const VoceElenco&) override { ADD_FAILURE() << "a row in the first reading"; }
};

// Whether the last list read twice asked for its register, which comes late, in its first reading.
bool registroNellaPrima = false;
// Whether the destination asks for the places of the rows, as the list window does, or keeps
// only their text.
bool conPosti = true;

// The CSV of a text handed over in pieces of `pezzo` bytes; the municipality H499 is unknown,
// M261 was created in 1975, A001 changed its name in 1924, B001 was gone from 1928 to 1947. With
// `prima`, the text is read twice, as a file is, and `prima` is what the first reading found there,
// the register coming when it is asked for; with `parallelo`, its plain lines are also written on
// two threads, two lines in a row being enough. Decoding's lines with `compito`.
std::string Verifica(std::string_view testo, std::size_t pezzo = 1 << 20,
                     std::optional<std::string_view> prima = std::nullopt, bool parallelo = false,
                     nodrel::UscitaCsv::Compito compito = nodrel::UscitaCsv::Compito::Verifica) {
    static const NODREL1::Registro registro({
        {u"H501", u"ROMA", u"RM", u"1871-01-01", u"9999-12-31"},
        {u"Z404", u"STATI UNITI D'AMERICA", u"EE", u"0001-01-01", u"9999-12-31"},
        {u"M261", u"CASTRO", u"LE", u"1975-05-28", u"9999-12-31"},
        {u"A001", u"ABANO", u"PD", u"1866-11-19", u"1924-11-13"},
        {u"A001", u"ABANO TERME", u"PD", u"1924-11-14", u"9999-12-31"},
        {u"B001", u"BORGO", u"PD", u"1861-03-17", u"1928-01-01"},
        {u"B001", u"BORGO", u"PD", u"1947-01-02", u"9999-12-31"},
        {u"C001", u"SANT\"ANNA; \u00C8", u"PD", u"1861-03-17", u"9999-12-31"},
    });
    // The register at hand for one reading; for two, it comes when it is asked for.
    static const std::shared_ptr<const NODREL1::Registro> condiviso(&registro, [](const auto*) {});
    bool inPrima = prima.has_value();
    registroNellaPrima = false;
    nodrel::RegistroAtteso atteso =
        prima ? nodrel::RegistroAtteso(std::async(std::launch::deferred,
                                                  [&inPrima] {
                                                      registroNellaPrima = inPrima;
                                                      return condiviso;
                                                  }))
              : nodrel::RegistroAtteso(condiviso);
    const auto oggi = std::chrono::year{2026} / 6 / 15;
    Lettura elenco({&atteso, oggi, false, parallelo, 2});
    std::string out;
    // Each row handed is found again where it says it begins, as the list window reads it.
    class Ritrovata : public nodrel::UscitaCsv {
    public:
        Ritrovata(Compito compito, std::string& out, nodrel::RegistroAtteso* atteso,
                  std::chrono::year_month_day oggi, std::string_view testo, const Lettura& elenco)
            : UscitaCsv(
                  compito, [&out](std::string_view t) { out += t; }, atteso, oggi),
              testo_(testo),
              elenco_(elenco) {}
        void Voce(const VoceElenco& v) override {
            std::string riga, pulito;
            std::vector<std::string_view> celle;
            Lettura::RigaDa(
                testo_.substr(std::min<std::size_t>(v.posto, testo_.size()), Lettura::kByteRiga),
                elenco_.Conversione(), elenco_.Forma().separatore, riga);
            nodrel::LettoreRighe::Celle(riga, elenco_.Forma().separatore, pulito, celle);
            EXPECT_TRUE(std::equal(celle.begin(), celle.end(), v.celle.begin(), v.celle.end()))
                << "row " << v.riga << " at " << v.posto << ": " << riga;
            UscitaCsv::Voce(v);
        }
        // The lines of plain rows, each of the row at its place, numbered on from `primo`.
        bool Posti() const override { return conPosti; }
        void Semplici(std::string_view righe, std::uint64_t primo,
                      std::span<const std::uint64_t> posti) override {
            for (std::size_t k = 0, da = 0; conPosti && k < posti.size();
                 ++k, da = righe.find('\n', da) + 1) {
                std::string riga;
                Lettura::RigaDa(testo_.substr(posti[k], Lettura::kByteRiga), elenco_.Conversione(),
                                elenco_.Forma().separatore, riga);
                EXPECT_EQ(righe.substr(da, righe.find(';', da + 1) + 17 - da),
                          std::to_string(primo + k) + ";" + riga);
            }
            UscitaCsv::Semplici(righe, primo, posti);
        }

    private:
        std::string_view testo_;
        const Lettura& elenco_;
    } csv(compito, out, &atteso, oggi, testo, elenco);
    if (prima) {
        elenco.PrimaLettura();
        elenco.Prevedi(prima->size());
        Nessuna niente;
        for (std::size_t i = 0; i < prima->size(); i += pezzo) {
            elenco.Leggi(prima->substr(i, pezzo), niente);
        }
        elenco.Fine(niente);
        inPrima = false;
        elenco.SecondaLettura();
    }
    for (std::size_t i = 0; i < testo.size(); i += pezzo) {
        elenco.Leggi(testo.substr(i, pezzo), csv);
    }
    elenco.Fine(csv);
    csv.Svuota();
    return out.substr(out.find('\n') + 1) + nodrel::TestoRiepilogo(elenco.Totali()) +
           (elenco.Cambiato() ? " (cambiato)" : "");
}

TEST(Elenco, EachLineGetsItsOutcomeAndReason) {
    const struct {
        std::string riga;
        std::string atteso;  // the CSV line, without its number
    } casi[] = {
        {"RSSMRA80A01H501U", "RSSMRA80A01H501U;CORRETTO;"},
        // An omocode is another person's code, not a duplicate of its base code.
        {"RSSMRA80A01H50MM", "RSSMRA80A01H50MM;CORRETTO;omocodico"},
        {" \"rss mra 80a01 h501 u\" ", "rss mra 80a01 h501 u;CORRETTO;duplicato della riga 2"},
        {"BNCLRA85M41Z404W", "BNCLRA85M41Z404W;CORRETTO;"},
        {"RSSMRA80A01H499U\r", "RSSMRA80A01H499U;CORRETTO;comune non in elenco"},
        // Neither 1970 nor 2070, which is ahead.
        {"RSSMRA70A01M261V", "RSSMRA70A01M261V;CORRETTO;comune non in vigore alla data di nascita"},
        {"RSSMRA80A01M261X", "RSSMRA80A01M261X;CORRETTO;"},
        // Eight days before and two after the municipality began.
        {"RSSMRA75E20M261L", "RSSMRA75E20M261L;CORRETTO;comune non in vigore alla data di nascita"},
        {"RSSMRA75E30M261M", "RSSMRA75E30M261M;CORRETTO;"},
        {"RSSMRA30A01B001Q", "RSSMRA30A01B001Q;CORRETTO;comune non in vigore alla data di nascita"},
        {"RSSMRA20A01A001N", "RSSMRA20A01A001N;CORRETTO;"},
        {"01234567897", "01234567897;CORRETTO;"},
        {"01234567890", "01234567890;ERRATO;cifra di controllo errata"},
        {"J", "J;ERRATO;lunghezza errata"},
        {"RSSMRA80A01H501XXXXXXXU", "RSSMRA80A01H501XXXXXXXU;ERRATO;lunghezza errata"},
        {"RSSMRA8WA01H501U", "RSSMRA8WA01H501U;ERRATO;carattere non ammesso in posizione 8"},
        {"RSSMRA801A1H501U", "RSSMRA801A1H501U;ERRATO;carattere non ammesso in posizione 9"},
        {"RSSMRA80Z01H501Q", "RSSMRA80Z01H501Q;ERRATO;mese non valido"},
        {"RSSMRA80A99H501Y", "RSSMRA80A99H501Y;ERRATO;giorno non valido"},
        {"RSSMRA80A01H501V", "RSSMRA80A01H501V;ERRATO;carattere di controllo errato (atteso U)"},
        {"RSSMRA80A01H5\xC3\x80"
         "1U",
         "RSSMRA80A01H5\xC3\x80"
         "1U;ERRATO;carattere non ammesso in posizione 14"},
        {"RS\"X", "\"RS\"\"X\";ERRATO;lunghezza errata"},
        {std::string("RSS\0MRA", 7), "RSS\xEF\xBF\xBDMRA;ERRATO;lunghezza errata"},
        {"   ", ""},  // a blank line is skipped
    };
    std::string testo = "Codice fiscale\n";  // a header
    std::string atteso(nodrel::kIntestazioneVerifica);
    int numero = 1;
    for (const auto& c : casi) {
        testo += c.riga + "\n";
        ++numero;
        if (!c.atteso.empty()) {
            atteso += std::to_string(numero) + ";" + c.atteso + "\n";
        }
    }
    atteso += "23 codici: 12 corretti, 11 errati, 1 duplicato";
    // The same however the text comes in: whole, or a byte at a time.
    EXPECT_EQ(std::string(nodrel::kIntestazioneVerifica) + Verifica(testo), atteso);
    EXPECT_EQ(std::string(nodrel::kIntestazioneVerifica) + Verifica(testo, 1), atteso);
    EXPECT_EQ(std::string(nodrel::kIntestazioneVerifica) + Verifica(testo, 7, testo), atteso);
}

// A file read twice: the first reading only marks its codes, and the second must notice a text
// that is no longer the first's.
TEST(Elenco, AFileReadTwice) {
    const std::string a = "RSSMRA80A01H501U\n", b = "BNCLRA85M41Z404W\n";
    std::string lungo = a;
    for (int i = 0; i < 5000; ++i) {
        lungo += b;  // the same code past the 64 KiB that tell the encoding, then the first again
    }
    // The filter sees the first line's code again only pieces later.
    EXPECT_EQ(Verifica(lungo + a, 4096, lungo + a), Verifica(lungo + a));
    EXPECT_FALSE(registroNellaPrima);  // plain codes need no register to be marked
    EXPECT_EQ(Verifica(lungo + a, 4096, lungo + a, true), Verifica(lungo + a));
    EXPECT_NE(Verifica(lungo + a).find("\n5002;RSSMRA80A01H501U;CORRETTO;duplicato della riga 1\n"),
              std::string::npos);
    // Distinct codes of every outcome, over each kind of municipality, in runs of lines past
    // the 64 KiB held first, when the municipalities have been asked.
    std::string misto;
    for (int k = 0; k < 6000; ++k) {
        std::string c;
        for (int v = k, i = 0; i < 6; ++i, v /= 26) {
            c += static_cast<char>('A' + v % 26);
        }
        c += k % 2 != 0 ? "30" : "80";
        c += k % 13 == 0 ? 'Z' : "ABCDEHLMPRST"[k % 12];
        c += k % 9 == 0 ? "35" : std::to_string(10 + k % 20 + (k % 3 == 0 ? 40 : 0));
        c += std::array{"H501", "A001", "M261", "B001", "H499"}[k % 5];
        if (k % 7 == 0) {
            c[14] = "LMNPQRSTUV"[c[14] - '0'];
        }
        c += NODREL1::Utf8(NODREL1::CarattereControllo(NODREL1::Utf16(c)));
        if (k % 11 == 0) {
            c.back() = c.back() == 'Z' ? 'A' : static_cast<char>(c.back() + 1);
        }
        misto += c + "\n";
    }
    // Then each of them again, in another order: codes met before, of every kind.
    std::string doppi = misto;
    for (int k = 0; k < 6000; ++k) {
        doppi += misto.substr(static_cast<std::size_t>(k * 7 % 6000 * 17), 17);
    }
    for (const auto compito :
         {nodrel::UscitaCsv::Compito::Verifica, nodrel::UscitaCsv::Compito::Decodifica}) {
        EXPECT_EQ(Verifica(misto, 4096, misto, true, compito),
                  Verifica(misto, 1 << 20, std::nullopt, false, compito));
        const std::string una = Verifica(doppi, 1 << 20, std::nullopt, false, compito);
        for (const bool posti : {true, false}) {
            conPosti = posti;
            EXPECT_EQ(Verifica(doppi, 4096, doppi, true, compito), una) << posti;
        }
        conPosti = true;
    }
    // Runs broken by a line end of another length, or by a line the full reading must judge,
    // on either side of where two threads would cut them.
    std::string rotto;
    for (std::size_t da = 0, k = 0; da < misto.size(); da += 17, ++k) {
        const std::string riga = misto.substr(da, 16);
        rotto += k % 97 == 40 ? " " + riga + "\n" : k % 61 == 30 ? riga + "\r\n" : riga + "\n";
    }
    EXPECT_EQ(Verifica(rotto, 4096, rotto, true), Verifica(rotto));
    EXPECT_EQ(Verifica(rotto, 1000, rotto, true), Verifica(rotto));
    // Pieces that open with a CRLF line, eighteen LF lines after it: the middle of the piece
    // as CRLF lines would place it is a line end, one line later.
    std::string pezzi;
    for (std::size_t k = 0; k < 40 * 200; ++k) {
        pezzi += misto.substr(k % 6000 * 17, 16) + (k % 200 >= 1 && k % 200 <= 18 ? "\n" : "\r\n");
    }
    EXPECT_EQ(Verifica(pezzi, 3582, pezzi, true), Verifica(pezzi));
    // Changed before any row was handed: read as it is now.
    const struct {
        std::string prima, seconda, atteso;
    } casi[] = {
        {a + a, b + a,
         "1;BNCLRA85M41Z404W;CORRETTO;\n2;RSSMRA80A01H501U;CORRETTO;\n2 codici: 2 corretti"},
        {a + b, a, "1;RSSMRA80A01H501U;CORRETTO;\n1 codice: 1 corretto"},
    };
    for (const auto& c : casi) {
        EXPECT_EQ(Verifica(c.seconda, 4096, c.prima), c.atteso);
    }
    // Changed after: the rows before the change, and no row after it.
    const std::string cambiato = Verifica(lungo + b, 4096, lungo + a);
    EXPECT_EQ(Verifica(lungo + b, 4096, lungo + a, true), cambiato);
    EXPECT_TRUE(cambiato.ends_with(" (cambiato)"));
    EXPECT_NE(cambiato.find("\n3;BNCLRA85M41Z404W;CORRETTO;duplicato della riga 2\n"),
              std::string::npos);
    EXPECT_EQ(cambiato.find("\n5002;"), std::string::npos);
}

TEST(Elenco, FirstLineLastLineAndLongLines) {
    const std::string bom = "\xEF\xBB\xBF";
    EXPECT_EQ(Verifica(bom + "RSSMRA80A01H501U"),
              "1;RSSMRA80A01H501U;CORRETTO;\n1 codice: 1 corretto");
    EXPECT_EQ(Verifica("\n\nRSSMRA80A01H501V\r\n"),
              "3;RSSMRA80A01H501V;ERRATO;carattere di controllo errato (atteso U)\n"
              "1 codice: 1 errato");
    // A line of a megabyte is judged by its beginning, and shown by it.
    const std::string lunga = "RSSMRA80A01H501U" + std::string(1 << 20, 'X') + "\nJ\n";
    const std::string out = Verifica(lunga, 4096);
    EXPECT_LT(out.size(), 8192u);
    EXPECT_NE(out.find(";ERRATO;lunghezza errata\n2;J;ERRATO;"), std::string::npos);
}

TEST(Elenco, DecodingWritesWhatARightCodeCarries) {
    const struct {
        std::string riga;    // with its check character, when it ends in '+'
        std::string atteso;  // the CSV line after the code
    } casi[] = {
        {"RSSMRA80A01H50MM", "RSS;MRA;M;01/01/1980;ROMA;RM;H501"},
        {"BNCLRA05M41Z404+", "BNC;LRA;F;01/08/2005;STATI UNITI D'AMERICA;EE;Z404"},
        // A filler X is left out where it is one; the century puts the day latest, not ahead.
        {"FOXLCU66C17F205Z", "FO;LCU;M;17/03/1966;;;F205"},
        {"AXXAXX26H15C001+", "A;A;M;15/06/2026;\"SANT\"\"ANNA; \xC3\x88\";PD;C001"},
        {"XXXXXX26H56A00M+", "X;X;F;16/06/1926;ABANO;PD;A001"},
        {" \"rss mra 80a01 h501 u\" ", "RSS;MRA;M;01/01/1980;ROMA;RM;H501"},
        {"01234567897", ";;;;;;"},
        {"RSSMRA80A01H501V", ";;;;;;"},
    };
    std::string testo;
    std::string atteso;
    for (const auto& c : casi) {
        std::string riga = c.riga;
        if (riga.back() == '+') {
            riga.pop_back();
            riga += NODREL1::Utf8(NODREL1::CarattereControllo(NODREL1::Utf16(riga)));
        }
        testo += riga + "\n";
        const std::string codice = riga.starts_with(' ') ? "rss mra 80a01 h501 u" : riga;
        atteso += std::to_string(&c - casi + 1) + ";" + codice + ";" + c.atteso + "\n";
    }
    atteso += "8 codici: 7 corretti, 1 errato";
    using nodrel::UscitaCsv;
    EXPECT_EQ(Verifica(testo, 1 << 20, std::nullopt, false, UscitaCsv::Compito::Decodifica),
              atteso);
    EXPECT_EQ(Verifica(testo, 1 << 20, testo, true, UscitaCsv::Compito::Decodifica), atteso);
}

std::string Utf16(std::u16string_view t, bool grande) {
    std::string b = grande ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t c : t) {
        const char alto = static_cast<char>(c >> 8), basso = static_cast<char>(c & 0xFF);
        b += grande ? alto : basso;
        b += grande ? basso : alto;
    }
    return b;
}

// Files as spreadsheets and offices write them, each with the rows a clerk expects.
TEST(Elenco, FilesAsOfficesKeepThem) {
    const NODREL1::Registro roma({{u"H501", u"ROMA", u"RM", u"1871-01-01", u"9999-12-31"}});
    const std::string codice = "RSSMRA80A01H501U";
    const struct {
        std::string nome;
        std::string file;
        std::string atteso;  // the CSV lines and the summary
    } casi[] = {
        {"UTF-16 LE",
         Utf16(u"codice\r\nRSSMRA80A01H501U\r\nBNCLR\u00C0\r\n\U0001F600J\r\nJ\r\n", false),
         "2;RSSMRA80A01H501U;CORRETTO;\n3;BNCLR\xC3\x80;ERRATO;lunghezza errata\n"
         "4;\xF0\x9F\x98\x80J;ERRATO;lunghezza errata\n5;J;ERRATO;lunghezza errata\n"
         "4 codici: 1 corretto, 3 errati"},
        {"UTF-16 BE", Utf16(u"RSSMRA80A01H501U\nJ", true),
         "1;RSSMRA80A01H501U;CORRETTO;\n2;J;ERRATO;lunghezza errata\n"
         "2 codici: 1 corretto, 1 errato"},
        {"Windows-1252",
         "Cognome;CF\nNICOL\xD2;RSSMRA80A01H5\xC0"
         "1U\n\x80\x80;J\n",
         "2;RSSMRA80A01H5\xC3\x80"
         "1U;ERRATO;carattere non ammesso in posizione 14\n3;J;ERRATO;lunghezza errata\n"
         "2 codici: 2 errati"},
        {"code not first", "Cognome;Nome;Cod. Fiscale\nROSSI;MARIO;" + codice + "\n",
         "2;" + codice + ";CORRETTO;\n1 codice: 1 corretto"},
        // A bare "codice" is the code only when its values look like codes.
        {"customer numbers", "Codice;Ditta;Cod. Fiscale\n000123;Acme;" + codice + "\n",
         "2;" + codice + ";CORRETTO;\n1 codice: 1 corretto"},
        {"customer numbers, the code unnamed", "Codice;Note\n000123;" + codice + "\n",
         "2;" + codice + ";CORRETTO;\n1 codice: 1 corretto"},
        {"a bare codice of codes", "Note;Codice\nx;" + codice + "\n",
         "2;" + codice + ";CORRETTO;\n1 codice: 1 corretto"},
        {"quoted separator, no header", "\"ROSSI, MARIO\"," + codice + "\nBIANCHI,J\n",
         "1;" + codice + ";CORRETTO;\n2;J;ERRATO;lunghezza errata\n2 codici: 1 corretto, 1 errato"},
        {"blank rows and a title",
         "Elenco dipendenti 2024\n;;\nreparto;codice fiscale\n;;\nx;" + codice + "\n",
         "5;" + codice + ";CORRETTO;\n1 codice: 1 corretto"},
        {"an omocode in letters first", "RSSMRAULALMHRLMD\n" + codice + "\n",
         "1;RSSMRAULALMHRLMD;CORRETTO;omocodico\n2;" + codice + ";CORRETTO;\n2 codici: 2 corretti"},
        {"CR line ends", codice + "\r" + codice + "\rJ",
         "1;" + codice + ";CORRETTO;\n2;" + codice +
             ";CORRETTO;duplicato della riga 1\n3;J;ERRATO;lunghezza errata\n"
             "3 codici: 2 corretti, 1 errato, 1 duplicato"},
        // A line end within quotes is within its cell: the rows after it keep their numbers.
        {"line end within quotes",
         "note|c.f.\n\"part-time\r\ndal 1/4\"|" + codice + "\n\"A\"\"\"|J\n",
         "2;" + codice + ";CORRETTO;\n3;J;ERRATO;lunghezza errata\n2 codici: 1 corretto, 1 errato"},
        {"the person beside the code",
         "Cognome,Nome,Sesso,Data di nascita,Luogo di nascita,CF\nRossi,Mario,M,01/01/1980,Roma," +
             codice + "\nRossi,Luigi,M,01/01/1980,Roma," + codice + "\n",
         "2;" + codice + ";CORRETTO;\n3;" + codice +
             ";NON CORRISPONDE;nome: atteso LGU, duplicato della riga 2\n"
             "2 codici: 1 corretto, 1 non corrispondente, 1 duplicato"},
        {"people without a code",
         "Cognome\tNome\tSesso\tNato "
         "il\tComune\tProv\tCF\nRossi\tMario\tM\t1980-01-01\tRoma\tRM\t\n"
         "Rossi\tMario\tM\t01/01/1980\tRoma\tRM\t\nBianchi\t\tF\t01/01/1980\tRoma\tRM\t\n"
         "Neri\tLuca\tM\t01/01/1980\t\t\t\nNeri\tLuca\tM\t\tRoma\tRM\t\n",
         "2;" + codice + ";CORRETTO;codice calcolato\n3;" + codice +
             ";CORRETTO;codice calcolato, duplicato della riga 2\n4;;ERRATO;nome mancante\n"
             "5;;ERRATO;comune di nascita mancante\n6;;ERRATO;data di nascita mancante\n"
             "5 codici: 2 corretti, 3 errati, 1 duplicato, 2 calcolati"},
    };
    for (const auto& c : casi) {
        SCOPED_TRACE(c.nome);
        EXPECT_EQ(Verifica(c.file), c.atteso);
        EXPECT_EQ(Verifica(c.file, 3), c.atteso);
        EXPECT_EQ(Verifica(c.file, 5, c.file), c.atteso);
        // Rows that are not plain judged a batch ahead on the second thread, two in a batch.
        EXPECT_EQ(Verifica(c.file, 5, std::nullopt, true), c.atteso);
        EXPECT_EQ(Verifica(c.file, 4096, c.file, true), c.atteso);
    }
}

}  // namespace
