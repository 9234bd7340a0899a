#include "fogli/xml.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "engine/testo.h"

namespace nodrel::xml {

namespace {

// A block of a compressed entry is inflated into this; a tag longer than it (a sheet's long
// list of attributes, a long text) makes it grow, up to the limit.
constexpr std::size_t kBlocco = std::size_t{256} << 10;
constexpr std::size_t kMassimo = std::size_t{64} << 20;

bool Spazio(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// The characters that end a name in a tag: blanks, '=', '/' and '>'; one look-up a byte, for a
// sheet has a million tags.
constexpr auto kFineNome = [] {
    std::array<bool, 256> t{};
    for (unsigned char c : {' ', '\t', '\n', '\r', '=', '/', '>'}) {
        t[c] = true;
    }
    return t;
}();

bool FineNome(char c) {
    return kFineNome[static_cast<unsigned char>(c)];
}

const char* Cerca(const char* da, const char* a, std::string_view cosa) {
    const auto fine = std::search(da, a, cosa.begin(), cosa.end());
    return fine == a ? nullptr : fine;
}

bool Inizia(const char* da, const char* a, std::string_view cosa) {
    return static_cast<std::size_t>(a - da) >= cosa.size() &&
           std::memcmp(da, cosa.data(), cosa.size()) == 0;
}

// The reference at the start of `r` (after its '&'): its length up to the ';' included, and
// the code point, or 0 when it is none that XML defines.
std::size_t Riferimento(std::string_view r, char32_t& c) {
    const std::size_t fine = r.substr(0, 12).find(';');
    if (fine == std::string_view::npos) {
        return 0;
    }
    const std::string_view nome = r.substr(0, fine);
    c = 0;
    if (nome == "lt") {
        c = '<';
    } else if (nome == "gt") {
        c = '>';
    } else if (nome == "amp") {
        c = '&';
    } else if (nome == "quot") {
        c = '"';
    } else if (nome == "apos") {
        c = '\'';
    } else if (nome.size() > 1 && nome[0] == '#') {
        const bool esa = nome[1] == 'x';
        const std::string_view cifre = nome.substr(esa ? 2 : 1);
        if (cifre.empty()) {
            return 0;
        }
        std::uint32_t n = 0;
        for (char d : cifre) {
            int v = d >= '0' && d <= '9'                            ? d - '0'
                    : esa && (d | 0x20) >= 'a' && (d | 0x20) <= 'f' ? (d | 0x20) - 'a' + 10
                                                                    : -1;
            if (v < 0 || v >= (esa ? 16 : 10) || n > 0x10FFFF) {
                return 0;
            }
            n = n * (esa ? 16 : 10) + static_cast<std::uint32_t>(v);
        }
        // No character XML forbids comes through: they would be no text a clerk typed.
        c = n == 0 || n > 0x10FFFF || (n >= 0xD800 && n <= 0xDFFF) ? 0xFFFD : n;
    } else {
        return 0;
    }
    return fine + 1;
}

void Decodifica(std::string_view grezzo, std::string& out, bool attributo) {
    while (!grezzo.empty()) {
        std::size_t i = 0;
        while (i < grezzo.size() && grezzo[i] != '&' && grezzo[i] != '\r' &&
               !(attributo && (grezzo[i] == '\n' || grezzo[i] == '\t'))) {
            ++i;
        }
        out.append(grezzo.data(), i);
        if (i == grezzo.size()) {
            return;
        }
        const char c = grezzo[i];
        grezzo.remove_prefix(i + 1);
        if (c == '&') {
            char32_t punto = 0;
            const std::size_t n = Riferimento(grezzo, punto);
            if (n == 0) {
                out += '&';
            } else {
                NODREL1::AggiungiUtf8(out, punto);
                grezzo.remove_prefix(n);
            }
        } else if (c == '\r') {
            // CR LF and a lone CR are both one line end.
            out += attributo ? ' ' : '\n';
            if (!grezzo.empty() && grezzo[0] == '\n') {
                grezzo.remove_prefix(1);
            }
        } else {
            out += ' ';
        }
    }
}

}  // namespace

void Decodifica(std::string_view grezzo, std::string& out) {
    Decodifica(grezzo, out, false);
}

void DecodificaAttributo(std::string_view grezzo, std::string& out) {
    Decodifica(grezzo, out, true);
}

std::string Decodificato(std::string_view grezzo) {
    std::string out;
    DecodificaAttributo(grezzo, out);
    return out;
}

std::string Qualificato(std::optional<std::string_view> prefisso, std::string_view solito,
                        std::string_view nome) {
    const std::string_view p = prefisso ? *prefisso : solito;
    std::string q;
    q.reserve(p.size() + 1 + nome.size());
    if (!p.empty()) {
        q.append(p);
        q += ':';
    }
    q.append(nome);
    return q;
}

Scanner::Scanner(Fonte fonte)
    : fonte_(std::move(fonte)), dati_(new char[kBlocco]), capienza_(kBlocco) {
    p_ = fine_ = dati_.get();
    attributi_.reserve(16);
}

std::optional<std::string_view> Scanner::Attributo(std::string_view nome) const {
    for (const Attr& a : attributi_) {
        if (Uguali(a.nome, nome)) {
            return a.valore;
        }
    }
    return std::nullopt;
}

std::optional<std::string_view> Scanner::Prefisso(std::string_view uri) const {
    for (const Attr& a : attributi_) {
        if (a.valore == uri && a.nome.starts_with("xmlns") &&
            (a.nome.size() == 5 || a.nome[5] == ':')) {
            return a.nome.size() == 5 ? std::string_view() : a.nome.substr(6);
        }
    }
    return std::nullopt;
}

bool Scanner::Riempi() {
    if (finito_ || rotto_) {
        return false;
    }
    const std::size_t resto = static_cast<std::size_t>(fine_ - p_);
    if (resto == capienza_) {
        if (capienza_ >= kMassimo) {
            rotto_ = true;
            return false;
        }
        std::unique_ptr<char[]> piu(new char[capienza_ * 2]);
        std::memcpy(piu.get(), p_, resto);
        dati_ = std::move(piu);
        capienza_ *= 2;
    } else if (p_ != dati_.get()) {
        std::memmove(dati_.get(), p_, resto);
    }
    p_ = dati_.get();
    fine_ = p_ + resto;
    const std::int64_t n =
        fonte_(dati_.get() + resto, static_cast<std::int64_t>(capienza_ - resto));
    if (n < 0) {
        rotto_ = true;
        return false;
    }
    if (n == 0) {
        finito_ = true;
        return false;
    }
    fine_ += n;
    return true;
}

Scanner::Evento Scanner::Sbaglio() {
    rotto_ = true;
    return Evento::Errore;
}

Scanner::Evento Scanner::Avanti() {
    if (chiudi_) {
        chiudi_ = false;
        --profondita_;
    }
    cdata_ = false;
    for (;;) {
        if (rotto_) {
            return Evento::Errore;
        }
        if (p_ == fine_ && !Riempi()) {
            if (rotto_) {
                return Evento::Errore;
            }
            return profondita_ == 0 ? Evento::Fine : Sbaglio();
        }
        if (*p_ != '<') {
            const std::size_t n = static_cast<std::size_t>(fine_ - p_);
            const char* lt = static_cast<const char*>(std::memchr(p_, '<', n));
            if (lt == nullptr) {
                // A short text waits for its end; half a buffer of it is handed as it stands,
                // cut before a reference or a CR LF that may go on in the next block.
                if (!finito_ && n < capienza_ / 2) {
                    if (Riempi() || rotto_) {
                        continue;
                    }
                }
                lt = fine_;
                if (!finito_) {
                    for (const char* r = fine_ - 1; r > fine_ - 12; --r) {
                        if (*r == ';') {
                            break;
                        }
                        if (*r == '&') {
                            lt = r;
                            break;
                        }
                    }
                    if (lt[-1] == '\r') {
                        --lt;
                    }
                }
            }
            testo_ = std::string_view(p_, static_cast<std::size_t>(lt - p_));
            nome_ = {};
            p_ = lt;
            return Evento::Testo;
        }
        Evento evento = Evento::Fine;
        switch (Tag(evento)) {
            case Passo::Fatto:
                if (evento != Evento::Fine) {
                    return evento;
                }
                break;  // a comment, a declaration: on to what follows
            case Passo::Ancora:
                if (!Riempi()) {
                    return Sbaglio();  // a tag cut off by the end of the input
                }
                break;
            case Passo::Male:
                return Sbaglio();
        }
    }
}

// The tag at p_: an event, or Fine for one that is no event (a comment, a processing
// instruction, a DTD), or Ancora when it goes on past what has been read.
Scanner::Passo Scanner::Tag(Evento& evento) {
    const char* q = p_ + 1;
    if (q == fine_) {
        return Passo::Ancora;
    }
    if (*q == '/') {
        const char* gt =
            static_cast<const char*>(std::memchr(q, '>', static_cast<std::size_t>(fine_ - q)));
        if (gt == nullptr) {
            return Passo::Ancora;
        }
        const char* e = gt;
        while (e > q + 1 && Spazio(e[-1])) {
            --e;
        }
        nome_ = std::string_view(q + 1, static_cast<std::size_t>(e - q - 1));
        if (nome_.empty() || profondita_ == 0) {
            return Passo::Male;
        }
        --profondita_;
        p_ = gt + 1;
        evento = Evento::Chiusura;
        return Passo::Fatto;
    }
    if (*q == '?') {
        const char* fine = Cerca(q, fine_, "?>");
        if (fine == nullptr) {
            return Passo::Ancora;
        }
        p_ = fine + 2;
        return Passo::Fatto;
    }
    if (*q == '!') {
        if (fine_ - q < 9 && !finito_) {
            return Passo::Ancora;
        }
        if (Inizia(q, fine_, "!--")) {
            const char* fine = Cerca(q + 3, fine_, "-->");
            if (fine == nullptr) {
                return Passo::Ancora;
            }
            p_ = fine + 3;
            return Passo::Fatto;
        }
        if (Inizia(q, fine_, "![CDATA[")) {
            const char* fine = Cerca(q + 8, fine_, "]]>");
            if (fine == nullptr) {
                return Passo::Ancora;
            }
            if (profondita_ == 0) {
                return Passo::Male;
            }
            testo_ = std::string_view(q + 8, static_cast<std::size_t>(fine - q - 8));
            nome_ = {};
            cdata_ = true;
            p_ = fine + 3;
            evento = Evento::Testo;
            return Passo::Fatto;
        }
        if (Inizia(q, fine_, "!DOCTYPE") && profondita_ == 0) {
            // Up to its '>', past an internal subset in brackets.
            char quote = 0;
            int parentesi = 0;
            for (const char* r = q; r < fine_; ++r) {
                if (quote != 0) {
                    quote = *r == quote ? 0 : quote;
                } else if (*r == '"' || *r == '\'') {
                    quote = *r;
                } else if (*r == '[') {
                    ++parentesi;
                } else if (*r == ']') {
                    --parentesi;
                } else if (*r == '>' && parentesi <= 0) {
                    p_ = r + 1;
                    return Passo::Fatto;
                }
            }
            return Passo::Ancora;
        }
        return Passo::Male;
    }
    const Passo passo = Apertura();
    if (passo == Passo::Fatto) {
        evento = Evento::Apertura;
    }
    return passo;
}

Scanner::Passo Scanner::Apertura() {
    const char* q = p_ + 1;
    while (q < fine_ && !FineNome(*q)) {
        ++q;
    }
    if (q == fine_) {
        return Passo::Ancora;
    }
    nome_ = std::string_view(p_ + 1, static_cast<std::size_t>(q - p_ - 1));
    if (nome_.empty()) {
        return Passo::Male;
    }
    attributi_.clear();
    for (;;) {
        while (q < fine_ && Spazio(*q)) {
            ++q;
        }
        if (q == fine_) {
            return Passo::Ancora;
        }
        if (*q == '>') {
            vuoto_ = false;
            ++q;
            break;
        }
        if (*q == '/') {
            if (q + 1 == fine_) {
                return Passo::Ancora;
            }
            if (q[1] != '>') {
                return Passo::Male;
            }
            vuoto_ = true;
            q += 2;
            break;
        }
        const char* nome = q;
        while (q < fine_ && !FineNome(*q)) {
            ++q;
        }
        const char* fineNome = q;
        while (q < fine_ && Spazio(*q)) {
            ++q;
        }
        if (q == fine_) {
            return Passo::Ancora;
        }
        if (*q != '=' || fineNome == nome) {
            return Passo::Male;
        }
        ++q;
        while (q < fine_ && Spazio(*q)) {
            ++q;
        }
        if (q == fine_) {
            return Passo::Ancora;
        }
        const char quote = *q;
        if (quote != '"' && quote != '\'') {
            return Passo::Male;
        }
        ++q;
        // Most values are short (a reference, a style's number): looked for in place first.
        const char* chiusa = q;
        while (chiusa < fine_ && chiusa < q + 16 && *chiusa != quote) {
            ++chiusa;
        }
        if (chiusa == fine_ || *chiusa != quote) {
            chiusa = static_cast<const char*>(
                std::memchr(chiusa, quote, static_cast<std::size_t>(fine_ - chiusa)));
        }
        if (chiusa == nullptr) {
            return Passo::Ancora;
        }
        attributi_.push_back({std::string_view(nome, static_cast<std::size_t>(fineNome - nome)),
                              std::string_view(q, static_cast<std::size_t>(chiusa - q))});
        q = chiusa + 1;
    }
    ++profondita_;
    chiudi_ = vuoto_;
    p_ = q;
    return Passo::Fatto;
}

bool Scanner::Salta() {
    if (vuoto_) {
        return true;
    }
    const std::size_t fuori = profondita_ - 1;
    for (;;) {
        switch (Avanti()) {
            case Evento::Chiusura:
                if (profondita_ == fuori) {
                    return true;
                }
                break;
            case Evento::Fine:
            case Evento::Errore:
                return false;
            default:
                break;
        }
    }
}

}  // namespace nodrel::xml
