// What FreeXL leaves out of an .xls: the value a formula last gave (it reads no formula cell)
// and the number formats of number cells (so that 00804150415 kept as a number loses its
// noughts). Read from the workbook stream of the compound file: the formats and the cells' styles
// of the globals, then each worksheet's FORMULA, STRING, NUMBER, RK and MULRK records.

#include <algorithm>
#include <cstring>
#include <optional>

#include "engine/testo.h"
#include "fogli/biff.h"

namespace nodrel::biff {

namespace {

std::uint32_t Parola(std::string_view b, std::size_t i, std::size_t byte) {
    if (i > b.size() || byte > b.size() - i) {  // written so that no sum wraps
        return 0;
    }
    std::uint32_t n = 0;
    for (std::size_t k = byte; k-- > 0;) {
        n = n << 8 | static_cast<unsigned char>(b[i + k]);
    }
    return n;
}

constexpr std::uint32_t kFineCatena = 0xFFFFFFFE;

// The streams of a compound file, as far as a workbook needs them.
class Composto {
public:
    explicit Composto(std::string_view file) : f_(file) {}

    // The bytes of the stream named `nome` (ASCII), or nothing.
    std::optional<std::string> Flusso(std::initializer_list<std::string_view> nomi) {
        if (f_.size() < 512 || f_.substr(0, 8) != "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1") {
            return std::nullopt;
        }
        const std::uint32_t spostamento = Parola(f_, 0x1E, 2);
        if (spostamento != 9 && spostamento != 12) {
            return std::nullopt;
        }
        settore_ = std::size_t{1} << spostamento;
        settori_ = f_.size() / settore_;
        // The allocation table, from the sectors the header and the DIFAT chain list.
        auto aggiungi = [&](std::uint32_t s) {
            if (s < settori_) {
                const std::string_view d = Settore(s);
                for (std::size_t i = 0; i + 4 <= d.size(); i += 4) {
                    fat_.push_back(Parola(d, i, 4));
                }
            }
        };
        for (std::size_t i = 0; i < 109; ++i) {
            const std::uint32_t s = Parola(f_, 0x4C + i * 4, 4);
            if (s >= kFineCatena) {
                break;
            }
            aggiungi(s);
        }
        std::uint32_t difat = Parola(f_, 0x44, 4);
        for (std::size_t giri = 0; difat < settori_ && giri < settori_; ++giri) {
            const std::string_view d = Settore(difat);
            if (d.empty()) {
                break;  // a sector past the file's end
            }
            for (std::size_t i = 0; i + 8 <= d.size(); i += 4) {
                const std::uint32_t s = Parola(d, i, 4);
                if (s < kFineCatena) {
                    aggiungi(s);
                }
            }
            difat = Parola(d, d.size() - 4, 4);
        }
        const std::string cartella = Catena(Parola(f_, 0x30, 4), SIZE_MAX);
        std::string_view radice;
        for (std::size_t e = 0; e + 128 <= cartella.size(); e += 128) {
            const std::string_view voce(cartella.data() + e, 128);
            // The name's length in bytes counts its closing nought.
            const std::size_t lunghezza = std::min<std::uint32_t>(Parola(voce, 64, 2), 64);
            std::string nome;
            for (std::size_t k = 0; k + 2 < lunghezza; k += 2) {
                const std::uint32_t c = Parola(voce, k, 2);
                nome += static_cast<char>(c < 0x80 ? c : '?');
            }
            const auto tipo = static_cast<unsigned char>(voce[66]);
            if (tipo == 5) {
                radice = voce;
            }
            if (tipo != 2 || std::find(nomi.begin(), nomi.end(), nome) == nomi.end()) {
                continue;
            }
            const std::uint32_t inizio = Parola(voce, 116, 4);
            const std::size_t quanto = Parola(voce, 120, 4);
            if (quanto < Parola(f_, 0x38, 4) && !radice.empty()) {
                return Mini(radice, inizio, quanto);
            }
            return Catena(inizio, quanto);
        }
        return std::nullopt;
    }

private:
    std::string_view Settore(std::uint32_t s) const {
        const std::size_t da = (std::size_t{s} + 1) * settore_;
        return da + settore_ <= f_.size() ? f_.substr(da, settore_) : std::string_view();
    }

    // The sectors of a chain, joined, at most `quanto` bytes; a loop ends it.
    std::string Catena(std::uint32_t s, std::size_t quanto) const {
        std::string out;
        for (std::size_t giri = 0;
             s < fat_.size() && s < settori_ && giri < settori_ && out.size() < quanto; ++giri) {
            out.append(Settore(s));
            s = fat_[s];
        }
        if (out.size() > quanto) {
            out.resize(quanto);
        }
        return out;
    }

    // A small stream, kept in 64-byte sectors within the root's stream.
    std::string Mini(std::string_view radice, std::uint32_t s, std::size_t quanto) const {
        const std::string contenitore = Catena(Parola(radice, 116, 4), Parola(radice, 120, 4));
        const std::string tabella = Catena(Parola(f_, 0x3C, 4), SIZE_MAX);
        const std::size_t mini = std::size_t{1} << std::min<std::uint32_t>(Parola(f_, 0x20, 2), 12);
        std::string out;
        for (std::size_t giri = 0;
             s < tabella.size() / 4 && giri < tabella.size() / 4 && out.size() < quanto; ++giri) {
            const std::size_t da = std::size_t{s} * mini;
            if (da + mini > contenitore.size()) {
                break;
            }
            out.append(contenitore, da, mini);
            s = Parola(tabella, std::size_t{s} * 4, 4);
        }
        if (out.size() > quanto) {
            out.resize(quanto);
        }
        return out;
    }

    std::string_view f_;
    std::size_t settore_ = 512;
    std::size_t settori_ = 0;
    std::vector<std::uint32_t> fat_;
};

// A BIFF8 string (16-bit length, flags, then Latin-1 or UTF-16 characters) or BIFF5's (8- or
// 16-bit length, bytes), as UTF-8; `i` moves past it.
std::string Stringa(std::string_view r, std::size_t& i, bool biff8, std::size_t byteLunghezza) {
    const std::size_t n = Parola(r, i, byteLunghezza);
    i += byteLunghezza;
    std::string out;
    if (!biff8) {
        for (std::size_t k = 0; k < n && i < r.size(); ++k, ++i) {
            NODREL1::AggiungiUtf8(out, static_cast<unsigned char>(r[i]));
        }
        return out;
    }
    const std::uint32_t flags = Parola(r, i++, 1);
    const bool larghi = (flags & 1) != 0;
    if (flags & 8) {
        i += 2;  // rich text: its runs' count
    }
    if (flags & 4) {
        i += 4;  // Asian phonetic data: its size
    }
    for (std::size_t k = 0; k < n && i + (larghi ? 2 : 1) <= r.size(); ++k) {
        char32_t c = Parola(r, i, larghi ? 2 : 1);
        i += larghi ? 2 : 1;
        // A surrogate pair is one character.
        if (c >= 0xD800 && c < 0xDC00 && k + 1 < n && i + 2 <= r.size()) {
            const std::uint32_t basso = Parola(r, i, 2);
            if (basso >= 0xDC00 && basso < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (basso - 0xDC00);
                i += 2;
                ++k;
            }
        }
        NODREL1::AggiungiUtf8(out, c >= 0xD800 && c < 0xE000 ? 0xFFFD : c);
    }
    return out;
}

const char* Errore(std::uint32_t codice) {
    switch (codice) {
        case 0x00:
            return "#NULL!";
        case 0x07:
            return "#DIV/0!";
        case 0x0F:
            return "#VALUE!";
        case 0x17:
            return "#REF!";
        case 0x1D:
            return "#NAME?";
        case 0x24:
            return "#NUM!";
        default:
            return "#N/A";
    }
}

}  // namespace

bool Leggi(std::string_view file, Libro& libro) {
    const std::optional<std::string> flusso = Composto(file).Flusso({"Workbook", "Book"});
    if (!flusso) {
        return false;
    }
    const std::string_view w = *flusso;
    std::map<std::uint32_t, celle::Stile> formati;
    std::vector<std::uint32_t> inizi;
    bool biff8 = true;
    // The globals, up to their EOF.
    std::size_t i = 0;
    for (bool primo = true; i + 4 <= w.size();) {
        const std::uint32_t tipo = Parola(w, i, 2);
        const std::size_t n = Parola(w, i + 2, 2);
        const std::string_view r = w.substr(i + 4, std::min(n, w.size() - i - 4));
        i += 4 + n;
        if (primo) {
            if (tipo != 0x0809 && tipo != 0x0409 && tipo != 0x0209) {
                return false;
            }
            biff8 = Parola(r, 0, 2) == 0x0600;
            primo = false;
        } else if (tipo == 0x000A) {
            break;
        } else if (tipo == 0x041E || tipo == 0x001E) {
            std::size_t k = 2;
            formati[Parola(r, 0, 2)] = celle::DalCodice(Stringa(r, k, biff8, biff8 ? 2 : 1));
        } else if (tipo == 0x00E0) {
            const std::uint32_t id = Parola(r, 2, 2);
            const auto f = formati.find(id);
            libro.stili.push_back(f != formati.end() ? f->second
                                                     : celle::Predefinito(static_cast<int>(id)));
        } else if (tipo == 0x0085 && Parola(r, 5, 1) == 0) {
            inizi.push_back(Parola(r, 0, 4));  // a worksheet's substream, not a chart's
        } else if (tipo == 0x0022) {
            libro.dal1904 = Parola(r, 0, 2) == 1;
        }
    }
    for (const std::uint32_t inizio : inizi) {
        Foglio& foglio = libro.fogli.emplace_back();
        auto stile = [&libro](std::uint32_t xf) {
            return xf < libro.stili.size() ? libro.stili[xf] : celle::Stile();
        };
        auto numero = [&](std::uint32_t riga, std::uint32_t colonna, std::uint32_t xf) {
            if (stile(xf).cifre > 1) {
                foglio.cifre[riga << 16 | colonna] = stile(xf).cifre;
            }
        };
        Formula* testo = nullptr;  // a formula whose text comes in the next STRING
        // A chart drawn on the sheet is a substream of its own within the sheet's: its records
        // are not the sheet's, and its EOF is not the sheet's end.
        int dentro = 0;
        for (std::size_t j = inizio; j + 4 <= w.size();) {
            const std::uint32_t tipo = Parola(w, j, 2);
            const std::size_t n = Parola(w, j + 2, 2);
            const std::string_view r = w.substr(j + 4, std::min(n, w.size() - j - 4));
            j += 4 + n;
            if (tipo == 0x0809) {
                ++dentro;
            } else if (tipo == 0x000A && --dentro <= 0) {
                break;
            }
            if (dentro != 1) {
                continue;
            }
            const std::uint32_t riga = Parola(r, 0, 2), colonna = Parola(r, 2, 2);
            if (tipo == 0x0203 || tipo == 0x027E) {
                numero(riga, colonna, Parola(r, 4, 2));
            } else if (tipo == 0x00BD) {
                for (std::size_t k = 4; k + 6 + 2 <= r.size(); k += 6) {
                    numero(riga, colonna + static_cast<std::uint32_t>((k - 4) / 6),
                           Parola(r, k, 2));
                }
            } else if (tipo == 0x0006 && r.size() >= 14) {
                Formula& f = foglio.formule[riga << 16 | colonna];
                f.stile = stile(Parola(r, 4, 2));
                if (Parola(r, 12, 2) != 0xFFFF) {
                    f.tipo = Formula::Tipo::Numero;
                    std::memcpy(&f.numero, r.data() + 6, sizeof f.numero);
                } else if (Parola(r, 6, 1) == 0) {
                    f.tipo = Formula::Tipo::Testo;
                    testo = &f;
                    continue;
                } else {
                    f.tipo = Parola(r, 6, 1) == 1   ? Formula::Tipo::Booleano
                             : Parola(r, 6, 1) == 2 ? Formula::Tipo::Errore
                                                    : Formula::Tipo::Testo;
                    f.testo = f.tipo == Formula::Tipo::Booleano
                                  ? (Parola(r, 8, 1) ? "VERO" : "FALSO")
                              : f.tipo == Formula::Tipo::Errore ? Errore(Parola(r, 8, 1))
                                                                : "";
                }
            } else if (tipo == 0x0207 && testo != nullptr) {
                std::size_t k = 0;
                testo->testo = Stringa(r, k, biff8, 2);
            } else if (tipo == 0x0221 || tipo == 0x04BC || tipo == 0x003C) {
                continue;  // an array's or a shared formula's, before the STRING
            }
            testo = nullptr;
        }
    }
    return true;
}

}  // namespace nodrel::biff
