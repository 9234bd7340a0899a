#include "lists/righe.h"

#include <algorithm>
#include <cstring>

namespace nodrel {

namespace {

using Stato = LettoreRighe::Stato;

// Where the row that starts `t` ends: the line end outside quotes (CR, LF or CR LF), npos when
// `t` does not hold it. A quote counts only where a cell begins, as spreadsheets write them.
// `stato` carries the quotes across calls, `gia` the bytes of the row before them; a quote left
// open longer than `massimo` bytes closes at the next line end, so that a stray quote cannot
// swallow the rest of a list.
std::size_t FineRiga(std::string_view t, char separatore, Stato& stato, std::size_t gia,
                     std::size_t massimo) {
    const char* p = t.data();
    const std::size_t n = t.size();
    if (n != 0 && (stato == Stato::Inizio || stato == Stato::Campo)) {
        // Most rows hold no quote: their first line end is theirs.
        const auto* lf = static_cast<const char*>(std::memchr(p, '\n', n));
        const std::size_t k = lf != nullptr ? static_cast<std::size_t>(lf - p) : n;
        if (std::memchr(p, '"', k) == nullptr) {
            const auto* cr = static_cast<const char*>(std::memchr(p, '\r', k));
            if (cr != nullptr || lf != nullptr) {
                stato = Stato::Inizio;
                return cr != nullptr ? static_cast<std::size_t>(cr - p) : k;
            }
        }
    }
    for (std::size_t i = 0; i < n; ++i) {
        const char c = p[i];
        const bool fine = c == '\n' || c == '\r';
        switch (stato) {
            case Stato::Dentro:
                if (c == '"') {
                    stato = Stato::Chiuso;
                } else if (fine) {
                    if (gia + i > massimo) {
                        stato = Stato::Inizio;
                        return i;
                    }
                }
                continue;
            case Stato::Chiuso:
                if (c == '"') {
                    stato = Stato::Dentro;
                    continue;
                }
                break;
            case Stato::Inizio:
                if (c == '"') {
                    stato = Stato::Dentro;
                    continue;
                }
                if (c == ' ') {
                    continue;
                }
                break;
            case Stato::Campo:
                break;
        }
        if (fine) {
            stato = Stato::Inizio;
            return i;
        }
        stato = c == separatore ? Stato::Inizio : Stato::Campo;
    }
    return std::string_view::npos;
}

}  // namespace

char LettoreRighe::TrovaSeparatore(std::string_view testa) {
    constexpr char kCandidati[] = {';', ',', '\t', '|'};
    std::size_t righe[4] = {};
    bool visto[4] = {};
    bool dentro = false;
    for (char c : testa) {
        if (c == '"') {
            dentro = !dentro;
        } else if (!dentro && (c == '\n' || c == '\r')) {
            for (int i = 0; i < 4; ++i) {
                righe[i] += visto[i];
                visto[i] = false;
            }
        } else if (!dentro) {
            for (int i = 0; i < 4; ++i) {
                visto[i] = visto[i] || c == kCandidati[i];
            }
        }
    }
    int migliore = -1;
    for (int i = 0; i < 4; ++i) {
        righe[i] += visto[i];
        if (righe[i] > 0 && (migliore < 0 || righe[i] > righe[migliore])) {
            migliore = i;
        }
    }
    return migliore < 0 ? 0 : kCandidati[migliore];
}

void LettoreRighe::Celle(std::string_view riga, char separatore, std::string& pulito,
                         std::vector<std::string_view>& celle) {
    // Room is made for the whole row first, so that the views into `pulito` stay valid.
    celle.clear();
    pulito.clear();
    pulito.reserve(riga.size());
    const char* base = pulito.data();
    std::size_t i = 0;
    for (;;) {
        while (i < riga.size() && (riga[i] == ' ' || (riga[i] == '\t' && separatore != '\t'))) {
            ++i;
        }
        std::string_view cella;
        if (i < riga.size() && riga[i] == '"') {
            const std::size_t inizio = pulito.size();
            ++i;
            while (i < riga.size()) {
                if (riga[i] == '"') {
                    if (i + 1 < riga.size() && riga[i + 1] == '"') {
                        pulito += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                pulito += riga[i++];
            }
            // Text after the closing quote, which spreadsheets do not write, is kept.
            while (i < riga.size() && riga[i] != separatore) {
                pulito += riga[i++];
            }
            cella = std::string_view(base + inizio, pulito.size() - inizio);
        } else {
            // Cells are short: a loop finds their end sooner than a call to memchr would.
            const std::size_t inizio = std::min(i, riga.size());
            i = separatore == 0 ? riga.size() : inizio;
            while (i < riga.size() && riga[i] != separatore) {
                ++i;
            }
            cella = riga.substr(inizio, i - inizio);
        }
        while (!cella.empty() &&
               (cella.back() == ' ' || (cella.back() == '\t' && separatore != '\t'))) {
            cella.remove_suffix(1);
        }
        celle.push_back(cella);
        if (i >= riga.size() || separatore == 0) {
            break;
        }
        ++i;  // the separator
    }
}

void LettoreRighe::Trattieni(std::string_view parte) {
    if (resto_.size() < kRigaMassima) {
        resto_.append(parte.substr(0, kRigaMassima - resto_.size()));
    }
}

bool LettoreRighe::Libero(std::string_view& testo) {
    if (saltaLF_ && !testo.empty()) {
        saltaLF_ = false;
        if (testo.front() == '\n') {
            testo.remove_prefix(1);
        }
    }
    return Libero();
}

bool LettoreRighe::Prossima(std::string_view& pezzo, RigaLetta& riga) {
    if (svuota_) {
        svuota_ = false;
        resto_.clear();
    }
    Libero(pezzo);
    // Takes the line end of a row that ends at `fine`.
    auto chiudi = [this, &pezzo](std::size_t fine) {
        if (pezzo[fine] == '\r') {
            if (fine + 1 < pezzo.size()) {
                fine += pezzo[fine + 1] == '\n';
            } else {
                saltaLF_ = true;
            }
        }
        pezzo.remove_prefix(fine + 1);
    };
    if (inCorso_) {
        const std::size_t fine = FineRiga(pezzo, separatore_, stato_, lungo_, kRigaMassima);
        if (fine == std::string_view::npos) {
            lungo_ += pezzo.size();
            Trattieni(pezzo);
            pezzo = {};
            return false;
        }
        Trattieni(pezzo.substr(0, fine));
        chiudi(fine);
        riga = Trattenuta();
        return true;
    }
    Stato stato = Stato::Inizio;
    const std::size_t fine = FineRiga(pezzo, separatore_, stato, 0, kRigaMassima);
    if (fine == std::string_view::npos) {
        if (!pezzo.empty()) {
            inCorso_ = true;
            inizio_ = Qui(pezzo.data());
            lungo_ = pezzo.size();
            stato_ = stato;
            Trattieni(pezzo);
            pezzo = {};
        }
        return false;
    }
    riga = {pezzo.substr(0, std::min(fine, kRigaMassima)), ++numero_, false, Qui(pezzo.data())};
    chiudi(fine);
    return true;
}

bool LettoreRighe::Ultima(RigaLetta& riga) {
    if (svuota_) {
        svuota_ = false;
        resto_.clear();
    }
    if (!inCorso_) {
        return false;
    }
    riga = Trattenuta();
    return true;
}

RigaLetta LettoreRighe::Trattenuta() {
    // Its text stays until the next row is taken.
    inCorso_ = false;
    svuota_ = true;
    return {resto_, ++numero_, true, inizio_};
}

std::vector<RigaDiCelle> LettoreRighe::PrimeRighe(std::string_view testa, char separatore,
                                                  bool fine, std::size_t quante) {
    std::vector<RigaDiCelle> righe;
    std::uint64_t numero = 0;
    bool saltaLF = false;
    std::string pulito;
    std::vector<std::string_view> celle;
    while (!testa.empty() && righe.size() < quante) {
        if (saltaLF && testa.front() == '\n') {
            testa.remove_prefix(1);
        }
        saltaLF = false;
        Stato stato = Stato::Inizio;
        std::size_t f = FineRiga(testa, separatore, stato, 0, kRigaMassima);
        if (f == std::string_view::npos && !fine) {
            break;
        }
        const std::string_view riga = testa.substr(0, std::min(f, kRigaMassima));
        Celle(riga, separatore, pulito, celle);
        ++numero;
        if (std::any_of(celle.begin(), celle.end(), [](auto c) { return !c.empty(); })) {
            righe.push_back({numero, std::vector<std::string>(celle.begin(), celle.end())});
        }
        if (f == std::string_view::npos) {
            break;
        }
        saltaLF = testa[f] == '\r';
        testa.remove_prefix(f + 1);
    }
    return righe;
}

}  // namespace nodrel
