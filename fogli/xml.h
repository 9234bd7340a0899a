#pragma once

// A small scanner of XML as spreadsheets write it: machine-written, regular, possibly large. It
// hands elements and text as views into its buffer, with no string per cell, and reads its
// input a block at a time, so that a sheet of a million rows streams through a fixed buffer.
// Not a validating parser: it checks what it needs to find its way (tags, quotes, comments,
// CDATA) and resolves the predefined and numeric references; a DTD is skipped, its entities
// are never expanded.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nodrel::xml {

// Two short names alike: the length and the last character first, which tell most names of a
// sheet apart, and no call, for a sheet has millions of them.
inline bool Uguali(std::string_view a, std::string_view b) {
    if (a.size() != b.size() || (!a.empty() && a.back() != b.back())) {
        return false;
    }
    for (std::size_t i = 0; i + 1 < a.size(); ++i) {
        if (a[i] != b[i]) {
            return false;
        }
    }
    return true;
}

// A qualified name looked for in the tags.
class Nome {
public:
    Nome() = default;
    explicit Nome(std::string nome) : nome_(std::move(nome)) {}
    friend bool operator==(std::string_view a, const Nome& b) { return Uguali(a, b.nome_); }
    operator std::string_view() const { return nome_; }

private:
    std::string nome_;
};

// Reads at most `n` bytes into `dati`: how many it read, 0 at the end, -1 on an error.
using Fonte = std::function<std::int64_t(char* dati, std::int64_t n)>;

class Scanner {
public:
    enum class Evento { Apertura, Chiusura, Testo, Fine, Errore };

    explicit Scanner(Fonte fonte);

    // The next element or text. What the previous event showed (its name, its attributes, its
    // text) is valid until this call, and no longer: the buffer moves as the input is read.
    Evento Avanti();

    // The document's first element, past what comes before it: Apertura, or Fine or Errore.
    Evento Radice() {
        Evento e = Avanti();
        while (e == Evento::Testo) {
            e = Avanti();
        }
        return e;
    }

    // Of an Apertura or Chiusura: the qualified name ("table:table-cell", "c"); empty for a
    // Testo.
    std::string_view Nome() const { return nome_; }
    // Of an Apertura: whether it closes itself (<x/>); no Chiusura follows it then.
    bool Vuoto() const { return vuoto_; }
    // Of an Apertura: an attribute's value by its qualified name, references unresolved.
    std::optional<std::string_view> Attributo(std::string_view nome) const;
    // Of an Apertura: the prefix that binds `uri` ("" for the default namespace), if it does.
    std::optional<std::string_view> Prefisso(std::string_view uri) const;
    // Of a Testo: the text, references unresolved unless it is CDATA. A long text may come
    // as several Testo events in a row.
    std::string_view Testo() const { return testo_; }
    bool Cdata() const { return cdata_; }

    // After an Apertura that does not close itself: skips to the end of its element. False on
    // an error or at the end of the input.
    bool Salta();
    // The elements open around the current event (an Apertura counts itself).
    std::size_t Profondita() const { return profondita_; }

private:
    // Reads more input after what is left from p_; false when there is no more.
    bool Riempi();
    enum class Passo { Fatto, Ancora, Male };
    Passo Tag(Evento& evento);
    Passo Apertura();
    Evento Sbaglio();

    Fonte fonte_;
    std::unique_ptr<char[]> dati_;
    std::size_t capienza_ = 0;
    const char* p_ = nullptr;
    const char* fine_ = nullptr;
    bool finito_ = false;
    bool rotto_ = false;
    bool chiudi_ = false;  // the last Apertura closed itself, its depth is to be taken back

    std::string_view nome_;
    std::string_view testo_;
    bool vuoto_ = false;
    bool cdata_ = false;
    std::size_t profondita_ = 0;
    struct Attr {
        std::string_view nome, valore;
    };
    std::vector<Attr> attributi_;
};

// Appends `grezzo` to `out` with its references (&amp; &lt; &#233; &#xE9; ...) resolved and its
// line ends made LF, as XML reads text; an unknown reference is kept as it stands.
void Decodifica(std::string_view grezzo, std::string& out);
// The same for an attribute's value, whose literal tabs and line ends read as blanks.
void DecodificaAttributo(std::string_view grezzo, std::string& out);
std::string Decodificato(std::string_view grezzo);

// "prefix:name" from a prefix found by Prefisso, or the conventional one when there is none.
std::string Qualificato(std::optional<std::string_view> prefisso, std::string_view solito,
                        std::string_view nome);

}  // namespace nodrel::xml
