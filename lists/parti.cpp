#include "lists/parti.h"

#include <algorithm>
#include <cassert>
#include <type_traits>

#include "engine/esame.h"
#include "lists/semplici.h"
#include "lists/uscita.h"

namespace nodrel {

namespace {

// Rows are judged a batch at a time, so that the memory fetches their words of the bitmap all
// at once rather than one after the other.
constexpr std::size_t kLotto = 64;

}  // namespace

bool Parti::Scrivi(std::string_view pezzo, std::uint64_t numero, const Contesto& c,
                   Aiutante* aiutante) {
    constexpr std::size_t n = NODREL1::kLunghezzaPersonale;
    std::size_t meta = 0;
    std::uint64_t primaMeta = 0;  // the rows of the first half, when known
    bool provato = false;         // the cut is a guess, which the first half proves
    // Verification asks the register whether a municipality was in force; decoding, its name.
    auto chiesto = [&c](std::uint32_t comune) {
        return c.verifica != nullptr ? c.luoghi.Chiesto(comune) : c.decodifica->Pronto(comune);
    };
    const bool chiedi = avanti_ && (c.verifica == nullptr || c.luoghi.Registro());
    if (chiedi || c.lungheDiverse) {
        std::uint64_t righe = UINT64_MAX;
        const std::size_t fine = Semplici(pezzo, righe);
        if (righe < c.minimo) {
            return false;
        }
        // The municipalities of a run are asked before it is cut, as long as runs bring new
        // ones: a row whose municipality was never asked waits for this thread.
        std::size_t nuovi = 0;
        for (std::string_view t = pezzo.substr(0, chiedi ? fine : 0); !t.empty();
             t.remove_prefix(n + 1 + (t[n] == '\r'))) {
            std::uint32_t comune = 0;
            std::uint32_t data = 0;
            if (NODREL1::GiudicaPersonale(reinterpret_cast<const unsigned char*>(t.data()), comune,
                                          data)
                    .Corretto() &&
                !chiesto(comune)) {
                if (c.verifica != nullptr) {
                    c.luoghi.Chiedi(comune);
                } else {
                    c.decodifica->Prepara(comune);
                }
                ++nuovi;
            }
        }
        avanti_ = avanti_ && nuovi > righe / 1024;
        // Cut in the middle at a line end. Rows all of one length tell where; otherwise it is
        // the line end past the middle byte, and the rows before it are its line feeds,
        // counted by the thread that writes the second half.
        meta = pezzo.find('\n', fine / 2) + 1;
        for (const std::size_t lunga : {n + 1, n + 2}) {
            if (fine == lunga * righe) {
                primaMeta = righe / 2;
                meta = lunga * primaMeta;
            }
        }
        parti_[1].testo = pezzo.substr(meta);
        parti_[1].limite = fine - meta;
    } else {
        // The rows are taken to be as long as the first, and the piece cut where the middle
        // one begins: each half finds its own plain rows, and the second counts only if the
        // first, row by row, reaches it. Once rows of both lengths were met, the run is found
        // first, as above.
        const std::size_t lunga = pezzo.size() > n && pezzo[n] == '\r' ? n + 2 : n + 1;
        if (pezzo.size() < c.minimo * lunga) {
            return false;
        }
        primaMeta = pezzo.size() / lunga / 2;
        meta = primaMeta * lunga;
        provato = true;
        parti_[1].testo = pezzo.substr(meta);
        parti_[1].limite = SIZE_MAX;
    }
    parti_[0].testo = pezzo;
    parti_[0].limite = meta;
    parti_[0].prima = numero;
    auto seconda = [this, &c, numero, primaMeta, prima = pezzo.substr(0, meta)] {
        parti_[1].prima = numero + (primaMeta != 0 ? primaMeta
                                                   : static_cast<std::uint64_t>(std::count(
                                                         prima.begin(), prima.end(), '\n')));
        Scrivi(parti_[1], c);
    };
    if (aiutante != nullptr) {
        aiutante->Insieme([&](std::size_t k) {
            if (k == 1) {
                seconda();
            } else {
                Scrivi(parti_[0], c);
            }
        });
    } else {
        seconda();
        Scrivi(parti_[0], c);
    }
    entrambe_ = parti_[0].fine == meta && (!provato || parti_[0].righe == primaMeta) && meta > 0;
    c.lungheDiverse = c.lungheDiverse || (!entrambe_ && parti_[0].fine >= meta);
    return parti_[0].righe != 0;
}

void Parti::Scrivi(Parte& p, const Contesto& c) {
    if (c.verifica != nullptr) {
        ScriviParte(p, c, *c.verifica);
    } else {
        ScriviParte(p, c, *c.decodifica);
    }
}

template <class Code>
void Parti::ScriviParte(Parte& p, const Contesto& contesto, const Code& code) {
    constexpr std::size_t n = NODREL1::kLunghezzaPersonale;
    constexpr bool kVerifica = std::is_same_v<Code, CodeVerifica>;
    // Held here, where the bytes written cannot reach them, so that they stay in registers.
    const Candidati& tenuti = contesto.tenuti;
    const Luoghi& luoghi = contesto.luoghi;
    const std::string_view t = p.testo;
    // A line takes at most twenty digits and the rest, copied whole.
    std::size_t kRiga = 20;
    if constexpr (kVerifica) {
        kRiga += CodeVerifica::kMassimo;
    } else {
        kRiga += code.Massimo();
    }
    const std::size_t serve = (std::min(t.size(), p.limite) / (n + 1) + 1) * kRiga;
    if (p.capienza < serve) {
        p.spazio = std::make_unique_for_overwrite<char[]>(serve);
        p.capienza = serve;
    }
    p.rinviate.clear();
    p.totali = {};
    p.righe = 0;
    char* const inizio = p.spazio.get();
    char* o = inizio;
    Contatore numero;
    numero.Da(p.prima);
    std::array<std::uint64_t, kLotto> impronte;
    std::array<std::size_t, kLotto> inizi;
    std::size_t da = 0;
    for (std::size_t quante = kLotto; quante == kLotto;) {
        // A batch of plain rows, as Semplici finds them; their prints first, and their words
        // of the bitmap asked of the memory at once.
        quante = 0;
        for (; quante < kLotto && da < p.limite && RigaSemplice(t, da);
             ++quante, da = DopoRiga(t, da)) {
            inizi[quante] = da;
            impronte[quante] = ImprontaCodice(t.data() + da);
            tenuti.Anticipa(impronte[quante]);
        }
        for (std::size_t k = 0; k < quante; ++k) {
            const char* const riga = t.data() + inizi[k];
            numero.Avanti();
            ++p.righe;
            // Left to the reading's own thread: a code that may have come before, or what the
            // full reading must judge, or a municipality not yet asked.
            const std::size_t posizione = static_cast<std::size_t>(o - inizio);
            if (tenuti.Forse(impronte[k])) {
                std::uint64_t chiave = 0;
                const NODREL1::Giudizio giudizio =
                    NODREL1::GiudicaPersonale(reinterpret_cast<const unsigned char*>(riga), chiave);
                p.rinviate.push_back({posizione, riga, numero.Valore(), true, giudizio, chiave});
                continue;
            }
            std::uint32_t comune = 0;
            std::uint32_t data = 0;
            const NODREL1::Giudizio giudizio = NODREL1::GiudicaPersonale(
                reinterpret_cast<const unsigned char*>(riga), comune, data);
            bool chiesto = true;
            if constexpr (kVerifica) {
                chiesto = luoghi.Chiesto(comune);
            } else {
                chiesto = code.Pronto(comune);
            }
            if (giudizio.Tipo() == NODREL1::Difetto::Carattere ||
                (giudizio.Corretto() && !chiesto)) {
                p.rinviate.push_back({posizione, riga, numero.Valore()});
                continue;
            }
            if (giudizio.Corretto()) {
                ++p.totali.corretti;
            } else {
                ++p.totali.errati;
            }
            assert(o + kRiga <= inizio + p.capienza);
            if constexpr (kVerifica) {
                o = code.Scrivi(numero.Scrivi(o), riga, giudizio,
                                giudizio.Corretto() ? luoghi.Giudica(comune, data) : Luogo::Noto);
            } else {
                o = code.Scrivi(numero.Scrivi(o), riga, giudizio, comune, data);
            }
        }
    }
    p.fine = da;
    p.totali.codici = p.totali.corretti + p.totali.errati;
    p.uscita = {inizio, static_cast<std::size_t>(o - inizio)};
}

}  // namespace nodrel
