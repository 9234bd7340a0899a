// What kind of file a list is, told by its content and never by its name: a workbook saved
// as .csv, or a list named .xls that is text, is read for what it is; a PDF or a picture is
// refused with one line rather than read as hundreds of rows of garbage.

#include <quazip.h>
#include <quazipfile.h>

#include <QFile>
#include <algorithm>
#include <cstring>

#include "fogli/fogli.h"

namespace nodrel {

namespace {

constexpr std::string_view kOle = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
constexpr std::string_view kFoglioOdf = "application/vnd.oasis.opendocument.spreadsheet";

Tipo Nessuno(const char* cosa) {
    return {Formato::NessunElenco, QStringLiteral("non è un elenco: ") + QString::fromUtf8(cosa)};
}

bool Inizia(std::string_view testo, std::string_view come) {
    return testo.substr(0, come.size()) == come;
}

std::uint32_t Parola(std::string_view b, std::size_t i, std::size_t byte) {
    std::uint32_t n = 0;
    for (std::size_t k = byte; k-- > 0;) {
        n = n << 8 | static_cast<unsigned char>(b[i + k]);
    }
    return n;
}

bool SenzaMaiuscole(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return (x | 0x20) == (y | 0x20);
           });
}

std::size_t Trova(std::string_view testo, std::string_view cosa) {
    for (std::size_t i = 0; i + cosa.size() <= testo.size(); ++i) {
        if (SenzaMaiuscole(testo.substr(i, cosa.size()), cosa)) {
            return i;
        }
    }
    return std::string_view::npos;
}

// What an OpenDocument file is, by its media type.
Tipo Odf(std::string_view tipo, Formato foglio) {
    if (Inizia(tipo, kFoglioOdf)) {
        return {foglio, {}};
    }
    if (Inizia(tipo, "application/vnd.oasis.opendocument.text")) {
        return Nessuno("un documento di testo");
    }
    if (Inizia(tipo, "application/vnd.oasis.opendocument.presentation")) {
        return Nessuno("una presentazione");
    }
    if (Inizia(tipo, "application/vnd.oasis.opendocument.graphics")) {
        return Nessuno("un disegno");
    }
    return Nessuno("un documento OpenDocument che non è un foglio di calcolo");
}

// An XML file: a flat OpenDocument file says what it is on its root element.
Tipo Xml(std::string_view testo) {
    const std::size_t radice = testo.find("<office:document");
    if (radice != std::string_view::npos && testo.substr(radice, 17) != "<office:document-") {
        const std::size_t tipo = testo.find("office:mimetype=", radice);
        if (tipo != std::string_view::npos && tipo + 17 < testo.size()) {
            return Odf(testo.substr(tipo + 17), Formato::Fods);
        }
        return {Formato::Fods, {}};
    }
    if (testo.find("urn:schemas-microsoft-com:office:spreadsheet") != std::string_view::npos) {
        return Nessuno("un foglio XML di Excel 2003, da salvare in formato .xlsx");
    }
    if (Trova(testo, "<html") != std::string_view::npos ||
        Trova(testo, "<!doctype html") != std::string_view::npos) {
        return Nessuno("una pagina web");
    }
    return Nessuno("un file XML che non è un foglio di calcolo");
}

// Text in UTF-16 without its mark has a nought beside each ASCII character; other bytes
// with noughts among them are no text.
bool Binario(std::string_view b) {
    std::size_t zeri[2] = {0, 0};
    for (std::size_t i = 0; i < b.size(); ++i) {
        zeri[i % 2] += b[i] == '\0';
    }
    if (zeri[0] + zeri[1] == 0) {
        return false;
    }
    const std::size_t meta = b.size() / 2;
    const bool utf16 =
        (zeri[0] == 0 && zeri[1] * 4 >= meta) || (zeri[1] == 0 && zeri[0] * 4 >= meta);
    return !utf16;
}

// The names in the first sector of a compound file's directory, where its main streams are.
Tipo Composto(QFile& file) {
    const QByteArray testa = file.read(512);
    if (testa.size() < 512) {
        return Nessuno("un file di Office danneggiato");
    }
    const std::string_view t(testa.constData(), 512);
    const std::size_t settore = std::size_t{1} << std::min<std::uint32_t>(Parola(t, 0x1E, 2), 16);
    const std::uint32_t primo = Parola(t, 0x30, 4);
    if (!file.seek(static_cast<qint64>((std::uint64_t{primo} + 1) * settore))) {
        return Nessuno("un file di Office danneggiato");
    }
    const QByteArray d = file.read(static_cast<qint64>(settore));
    bool foglio = false, cifrato = false, word = false, presentazione = false;
    for (qsizetype voce = 0; voce + 128 <= d.size(); voce += 128) {
        const auto lunghezza = static_cast<std::size_t>(
            Parola(std::string_view(d.constData(), static_cast<std::size_t>(d.size())),
                   static_cast<std::size_t>(voce) + 64, 2));
        QString nome;
        for (std::size_t i = 0; i + 2 < std::min<std::size_t>(lunghezza, 64); i += 2) {
            nome += QChar(static_cast<char16_t>(
                Parola(std::string_view(d.constData(), static_cast<std::size_t>(d.size())),
                       static_cast<std::size_t>(voce) + i, 2)));
        }
        foglio = foglio || nome == QLatin1String("Workbook") || nome == QLatin1String("Book");
        cifrato = cifrato || nome == QLatin1String("EncryptedPackage");
        word = word || nome == QLatin1String("WordDocument");
        presentazione = presentazione || nome == QLatin1String("PowerPoint Document");
    }
    if (cifrato) {
        return {Formato::NessunElenco, QStringLiteral("il file è protetto da password")};
    }
    if (foglio) {
        return {Formato::Xls, {}};
    }
    if (word) {
        return Nessuno("un documento di Word");
    }
    if (presentazione) {
        return Nessuno("una presentazione");
    }
    return Nessuno("un file di Office che non è un foglio di calcolo");
}

// What a ZIP holds, by the parts that name it.
Tipo Zip(const QString& percorso) {
    QuaZip zip(percorso);
    if (!zip.open(QuaZip::mdUnzip)) {
        return Nessuno("un archivio ZIP danneggiato");
    }
    auto c = [&zip](const char* nome) {
        return zip.setCurrentFile(QString::fromLatin1(nome), QuaZip::csInsensitive);
    };
    if (c("mimetype")) {
        QuaZipFile file(&zip);
        if (file.open(QIODevice::ReadOnly)) {
            const QByteArray tipo = file.read(128);
            return Odf(std::string_view(tipo.constData(), static_cast<std::size_t>(tipo.size())),
                       Formato::Ods);
        }
    }
    if (c("xl/workbook.xml")) {
        return {Formato::Xlsx, {}};
    }
    if (c("content.xml")) {
        return {Formato::Ods, {}};
    }
    if (c("xl/workbook.bin")) {
        return Nessuno("un foglio Excel binario (.xlsb), da salvare in formato .xlsx");
    }
    if (c("word/document.xml")) {
        return Nessuno("un documento di Word");
    }
    if (c("ppt/presentation.xml")) {
        return Nessuno("una presentazione");
    }
    // A workbook whose main part lies elsewhere, as the package's relationships say.
    if (c("_rels/.rels")) {
        QuaZipFile file(&zip);
        if (file.open(QIODevice::ReadOnly) && file.readAll().contains("spreadsheetml")) {
            return {Formato::Xlsx, {}};
        }
    }
    return Nessuno("un archivio ZIP che non contiene un foglio di calcolo");
}

}  // namespace

Tipo TipoDaInizio(std::string_view b) {
    if (Inizia(b, "PK\x03\x04")) {
        // An OpenDocument file's first entry is its media type, stored as it is.
        if (b.size() >= 38 && Parola(b, 8, 2) == 0 && b.substr(30, 8) == "mimetype") {
            const std::size_t dati = 30 + Parola(b, 26, 2) + Parola(b, 28, 2);
            if (dati < b.size()) {
                return Odf(b.substr(dati, Parola(b, 18, 4)), Formato::Ods);
            }
        }
        return {Formato::Contenitore, {}};
    }
    if (Inizia(b, "PK\x05\x06")) {
        return Nessuno("un archivio ZIP vuoto");
    }
    if (Inizia(b, kOle)) {
        return {Formato::Contenitore, {}};
    }
    if (Inizia(b, "%PDF-")) {
        return Nessuno("un documento PDF");
    }
    if (Inizia(b, "\x89PNG") || Inizia(b, "\xFF\xD8\xFF") || Inizia(b, "GIF87a") ||
        Inizia(b, "GIF89a") || Inizia(b, std::string_view("II*\0", 4)) ||
        Inizia(b, std::string_view("MM\0*", 4)) ||
        (Inizia(b, "RIFF") && b.substr(8, 4) == "WEBP") ||
        (Inizia(b, "BM") && b.size() >= 14 && b.substr(6, 4) == std::string_view("\0\0\0\0", 4))) {
        return Nessuno("un'immagine");
    }
    // A program: ELF, Mach-O, and Windows's, whose "MZ" alone could begin a code (MAZZA).
    if (Inizia(b,
               "\x7F"
               "ELF") ||
        Inizia(b, "\xCF\xFA\xED\xFE") || Inizia(b, "\xCE\xFA\xED\xFE") ||
        Inizia(b, "\xFE\xED\xFA\xCE") || Inizia(b, "\xFE\xED\xFA\xCF") ||
        (Inizia(b, "MZ") && b.size() >= 64 &&
         ((Parola(b, 0x3C, 4) + 4 <= b.size() &&
           b.substr(Parola(b, 0x3C, 4), 4) == std::string_view("PE\0\0", 4)) ||
          b.find("This program cannot be run in DOS mode") != std::string_view::npos))) {
        return Nessuno("un programma");
    }
    if (Inizia(b, "\x1F\x8B") || Inizia(b, "7z\xBC\xAF\x27\x1C") || Inizia(b, "Rar!\x1A\x07") ||
        Inizia(b,
               "\xFD"
               "7zXZ") ||
        Inizia(b, "\x28\xB5\x2F\xFD") ||
        (Inizia(b, "BZh") && b.size() >= 10 && b.substr(4, 6) == "1AY&SY")) {
        return Nessuno("un archivio compresso");
    }
    if (Inizia(b, "{\\rtf")) {
        return Nessuno("un documento RTF");
    }
    if (Inizia(b, std::string_view("SQLite format 3\0", 16)) ||
        Inizia(b, std::string_view("\0\x01\0\0Standard Jet DB", 19)) ||
        Inizia(b, std::string_view("\0\x01\0\0Standard ACE DB", 19))) {
        return Nessuno("un database");
    }
    // A byte-order mark says text; XML after it (or after blanks) may be a flat workbook.
    std::string_view t = b;
    if (Inizia(t, "\xEF\xBB\xBF")) {
        t.remove_prefix(3);
    } else if (Inizia(t, "\xFF\xFE") || Inizia(t, "\xFE\xFF")) {
        return {Formato::Testo, {}};
    }
    while (!t.empty() && (t[0] == ' ' || t[0] == '\t' || t[0] == '\r' || t[0] == '\n')) {
        t.remove_prefix(1);
    }
    if (Inizia(t, "<?xml") || Inizia(t, "<office:") || SenzaMaiuscole(t.substr(0, 5), "<html") ||
        SenzaMaiuscole(t.substr(0, 9), "<!doctype")) {
        return Xml(t);
    }
    if (Binario(b)) {
        return Nessuno("un file binario");
    }
    return {Formato::Testo, {}};
}

Tipo TipoDiFile(const QString& percorso) {
    QFile file(percorso);
    if (!file.open(QIODevice::ReadOnly)) {
        return {Formato::Testo, {}};
    }
    // A flat workbook's root lists its namespaces before its media type: more than the first
    // bytes may be needed to find it.
    const QByteArray inizio = file.read(kInizio * 16);
    const std::string_view b(inizio.constData(), static_cast<std::size_t>(inizio.size()));
    Tipo tipo = TipoDaInizio(b.substr(0, kInizio));
    if (tipo.formato == Formato::Fods) {
        tipo = TipoDaInizio(b);
    }
    if (tipo.formato != Formato::Contenitore) {
        return tipo;
    }
    if (Inizia(b, kOle)) {
        file.seek(0);
        return Composto(file);
    }
    file.close();
    return Zip(percorso);
}

bool Foglio(const QString& percorso) {
    const Formato f = TipoDiFile(percorso).formato;
    return f == Formato::Xlsx || f == Formato::Ods || f == Formato::Fods || f == Formato::Xls;
}

}  // namespace nodrel
