#include "lists/marcatura.h"

#include <algorithm>

#include "engine/esame.h"
#include "lists/semplici.h"

namespace nodrel {

namespace {

// Rows are marked a batch at a time, so that the memory fetches their words of the filter all
// at once rather than one after the other.
constexpr std::size_t kLotto = 64;

// A row the filter may have seen before: recorded for the second reading when it is right.
void Candidato(Duplicati& duplicati, std::string_view codice, std::uint64_t impronta) {
    const NODREL1::CodiceCompatto k = NODREL1::Compatta(codice);
    const NODREL1::Esame e = NODREL1::Esamina(k);
    if (e.Corretto()) {
        duplicati.Candidato(NODREL1::Chiave(k, e.numerico),
                            e.omocodico ? NODREL1::Omocodia(k.c.data()) : std::uint8_t{0},
                            impronta);
    }
}

}  // namespace

std::uint64_t Marcatura::Segna(std::string_view& pezzo, Duplicati& duplicati, Aiutante* aiutante,
                               std::size_t minimo, bool& lungheDiverse) {
    constexpr std::size_t n = NODREL1::kLunghezzaPersonale;
    FiltroCodici& filtro = duplicati.Filtro();
    if (aiutante != nullptr) {
        if (const std::uint64_t righe =
                SegnaInParallelo(pezzo, duplicati, *aiutante, minimo, lungheDiverse)) {
            return righe;
        }
    }
    std::uint64_t prese = 0;
    std::array<std::uint64_t, kLotto> impronte;
    std::array<const char*, kLotto> inizi;
    for (std::uint64_t righe = kLotto; righe == kLotto;) {
        // A batch is found, hashed while its bytes are at hand, and its words asked of the
        // memory at once; then marked.
        std::string_view t = pezzo.substr(0, Semplici(pezzo, righe));
        pezzo.remove_prefix(t.size());
        prese += righe;
        std::size_t quante = 0;
        for (; !t.empty(); ++quante) {
            inizi[quante] = t.data();
            impronte[quante] = ImprontaCodice(t.data());
            filtro.Anticipa(impronte[quante]);
            t.remove_prefix(n + 1 + (t[n] == '\r'));
        }
        for (std::size_t i = 0; i < quante; ++i) {
            if (filtro.Segna(impronte[i])) {
                Candidato(duplicati, {inizi[i], n}, impronte[i]);
            }
        }
    }
    return prese;
}

std::uint64_t Marcatura::SegnaInParallelo(std::string_view& pezzo, Duplicati& duplicati,
                                          Aiutante& aiutante, std::size_t minimo,
                                          bool& lungheDiverse) {
    constexpr std::size_t n = NODREL1::kLunghezzaPersonale;
    // Where a line begins is kept in 32 bits.
    if (pezzo.size() < minimo * (n + 1) || pezzo.size() > UINT32_MAX) {
        return 0;
    }
    // The lines are taken to be as long as the first, and the piece cut where the middle one
    // begins; the second half counts only if the first, line by line, reaches it. Once lines of
    // both lengths were met, the run is found first and cut at a line end.
    std::array<Meta, 2>& m = meta_;
    const std::size_t lunga = pezzo[n] == '\r' ? n + 2 : n + 1;
    std::size_t meta = pezzo.size() / lunga / 2 * lunga;
    m[1].limite = SIZE_MAX;
    if (lungheDiverse) {
        std::uint64_t righe = UINT64_MAX;
        const std::size_t fine = Semplici(pezzo, righe);
        if (righe < minimo) {
            return 0;
        }
        meta = pezzo.find('\n', fine / 2) + 1;
        m[1].limite = fine - meta;
    }
    m[0].testo = pezzo;
    m[0].limite = meta;
    m[1].testo = pezzo.substr(meta);
    // Each step is done by both threads, the second's waited for however this one's ends.
    aiutante.Insieme([&m](std::size_t k) { Dividi(m[k]); });
    if (m[0].fine != meta) {
        lungheDiverse = lungheDiverse || m[0].fine > meta;
        m[1].fine = 0;
        m[1].quante = {};
    }
    const std::size_t fine = m[0].fine + m[1].fine;
    if (fine == 0) {
        return 0;
    }
    FiltroCodici& filtro = duplicati.Filtro();
    aiutante.Insieme([this, &filtro](std::size_t k) { Marca(k, filtro); });
    // The table is asked for a batch of candidates' places at once.
    for (const Meta& x : m) {
        for (std::size_t i = 0; i < x.candidati.size(); i += kLotto) {
            const std::size_t fino = std::min(x.candidati.size(), i + kLotto);
            for (std::size_t j = i; j < fino; ++j) {
                duplicati.AnticipaCandidato(x.candidati[j].chiave);
            }
            for (std::size_t j = i; j < fino; ++j) {
                const Meta::Candidato& c = x.candidati[j];
                duplicati.Candidato(c.chiave, c.omocodia, c.impronta);
            }
        }
    }
    std::uint64_t prese = 0;
    for (const Meta& x : m) {
        prese += x.quante[0] + x.quante[1];
    }
    pezzo.remove_prefix(fine);
    return prese;
}

void Marcatura::Dividi(Meta& m) {
    constexpr std::size_t n = NODREL1::kLunghezzaPersonale;
    const std::string_view t = m.testo;
    const std::size_t massimo = std::min(t.size(), m.limite) / (n + 1) + 1;
    for (std::size_t h = 0; h < 2; ++h) {
        if (m.impronte[h].size() < massimo) {
            m.impronte[h].resize(massimo);
            m.inizi[h].resize(massimo);
        }
    }
    // The plain lines, as Semplici finds them; each print is written to both lists and kept by
    // one, so that there is no branch to miss.
    std::array<std::size_t, 2> q{};
    std::size_t da = 0;
    for (; da < m.limite && RigaSemplice(t, da); da = DopoRiga(t, da)) {
        const std::uint64_t impronta = ImprontaCodice(t.data() + da);
        const auto alta = static_cast<std::size_t>(impronta >> 63);
        for (std::size_t h = 0; h < 2; ++h) {
            m.impronte[h][q[h]] = impronta;
            m.inizi[h][q[h]] = static_cast<std::uint32_t>(da);
        }
        q[0] += 1 - alta;
        q[1] += alta;
    }
    m.fine = da;
    m.quante = q;
}

void Marcatura::Marca(std::size_t meta, FiltroCodici& filtro) {
    // The words a little ahead are asked of the memory while these are marked.
    constexpr std::size_t kAvanti = 64;
    std::vector<Meta::Candidato>& candidati = meta_[meta].candidati;
    candidati.clear();
    for (const Meta& m : meta_) {
        const std::uint64_t* impronte = m.impronte[meta].data();
        const std::size_t quante = m.quante[meta];
        for (std::size_t i = 0; i < quante; ++i) {
            if (i + kAvanti < quante) {
                filtro.Anticipa(impronte[i + kAvanti]);
            }
            if (!filtro.Segna(impronte[i])) {
                continue;
            }
            // Judged here, so that the reading's own thread is left only the table.
            const NODREL1::CodiceCompatto k = NODREL1::Compatta(
                {m.testo.data() + m.inizi[meta][i], NODREL1::kLunghezzaPersonale});
            const NODREL1::Esame e = NODREL1::Esamina(k);
            if (e.Corretto()) {
                candidati.push_back(
                    {impronte[i], NODREL1::Chiave(k, e.numerico),
                     e.omocodico ? NODREL1::Omocodia(k.c.data()) : std::uint8_t{0}});
            }
        }
    }
}

}  // namespace nodrel
