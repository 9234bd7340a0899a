#pragma once

// Workbooks as office suites write them (.xlsx, .ods, flat .fods, .xls), read a row at a time,
// so that a list kept in one is checked as it is, without exporting it first; and what kind of
// file a list is, told by its content.

#include <QString>
#include <QStringList>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string_view>

namespace nodrel {

enum class Formato {
    Testo,         // a text list (CSV or one code a line), in whatever encoding
    Xlsx,          // Excel 2007-365 (and .xlsm), ZIP of XML
    Ods,           // OpenDocument spreadsheet, ZIP of XML
    Fods,          // OpenDocument spreadsheet in one XML file
    Xls,           // Excel 97-2003 (BIFF), in an Office compound file
    Contenitore,   // a ZIP or compound file: only the whole file tells what it holds
    NessunElenco,  // no list at all: a PDF, a picture, a program, a document
};

struct Tipo {
    Formato formato = Formato::Testo;
    QString motivo;  // for NessunElenco, in Italian: "non è un elenco: un documento PDF"
};

// How many first bytes TipoDaInizio wants (fewer when the file is shorter).
inline constexpr std::size_t kInizio = 4096;

// The kind of a file or stream from its first bytes. A ZIP or compound file is Contenitore
// unless its first bytes already tell (an OpenDocument file names its kind first): a stream of
// one is to be kept in a file and told by TipoDiFile.
Tipo TipoDaInizio(std::string_view inizio);

// The kind of a file, looking inside a ZIP or compound file; never Contenitore. A file that
// cannot be opened is Testo: its reading says why it fails.
Tipo TipoDiFile(const QString& percorso);

// Whether the file is a workbook, by its content.
bool Foglio(const QString& percorso);

// A row of a sheet: its number as the suite numbers it (from 1) and its cells, UTF-8, valid
// only during the call. Cells are as the suite shows them: a date as GG/MM/AAAA (a date-time
// as its date), a time as HH:MM:SS, an integer as its digits (padded by a format of noughts),
// another number as the General format shows it in Italian (decimal comma), a boolean as VERO
// or FALSO, text as typed; a comment on a cell is no part of it, nor are the blanks of any kind
// around it. An empty cell is an empty view; the empty cells at the end of a row are left out,
// and so are rows with no value. Returning false stops the reading.
using RigaFoglio = std::function<bool(std::uint64_t riga, std::span<const std::string_view> celle)>;

// A workbook, opened once and read a sheet at a time, as often as wanted: the first rows of
// each sheet, to find the one with the codes, and then that sheet whole. Not for two threads
// at once.
class Cartella {
public:
    Cartella();
    ~Cartella();
    Cartella(const Cartella&) = delete;
    Cartella& operator=(const Cartella&) = delete;

    // Opens a workbook of any of the formats above, told by its content; false with the
    // reason, in Italian, when it is none or cannot be read.
    bool Apri(const QString& percorso, QString& errore);
    // The names of its sheets, in the workbook's order (none before Apri succeeds).
    const QStringList& Fogli() const;
    // Reads sheet `foglio` (from 0) from its first row. False with the reason, in Italian,
    // when the sheet cannot be read; the rows handed before a failure stand. A reading stopped
    // by `riga` is no failure.
    bool Leggi(std::size_t foglio, const RigaFoglio& riga, QString& errore);

    class Lettore;  // one for each format

private:
    QStringList fogli_;
    std::unique_ptr<Lettore> lettore_;
};

}  // namespace nodrel
