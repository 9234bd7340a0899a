// The rows of a list gathered into lots on the run's thread, in the few bytes the table keeps
// a row in, for the table to take a lot at a time.

#include <algorithm>

#include "lists/scrittura.h"
#include "ui/elenco/modello.h"
#include "ui/elenco/tenuta.h"

namespace nodrel {

using namespace tenuta;

std::size_t ModelloElenco::Lotto::Byte() const {
    std::size_t byte = righe.size() * 10 + duplicati.size() * 4 + calcolati.size() * 8 +
                       celle.size() + semplici.size() + eccezioni.size() * sizeof(Eccezione);
    for (const Motivo& m : motivi) {
        byte += m.testo.size() + sizeof(Motivo);
    }
    return byte;
}

std::uint32_t ModelloElenco::Raccolta::NumeroMotivo(const VoceElenco& v) {
    // Most reasons follow from the outcome alone, which is a key of a few bits; the others (a
    // person's, the groups that differ) are looked up by their text.
    const NODREL1::Esame& e = v.esame;
    std::uint32_t chiave = 0;
    if (v.rifiuto.empty() && v.differenze.empty() && v.note.empty() && e.posizione >= 0 &&
        e.posizione < 256 && (!e.atteso || *e.atteso < 256)) {
        chiave = 1u << 31 | static_cast<std::uint32_t>(e.difetto) |
                 static_cast<std::uint32_t>(e.posizione) << 8 |
                 static_cast<std::uint32_t>(e.atteso.value_or(0)) << 16 |
                 static_cast<std::uint32_t>(e.numerico) << 24 |
                 static_cast<std::uint32_t>(e.omocodico) << 25 |
                 static_cast<std::uint32_t>(v.calcolato) << 26 |
                 static_cast<std::uint32_t>(v.duplicatoDi != 0) << 27 |
                 static_cast<std::uint32_t>(v.luogo) << 28;
        if (chiave == ultimo_.first) {
            return ultimo_.second;
        }
        const auto& recente = recenti_[(chiave * 0x9E3779B1u) >> 26];
        if (recente.first == chiave) {
            ultimo_ = recente;
            return recente.second;
        }
    }
    Motivo m{nodrel::Motivo(v)};
    if (v.duplicatoDi != 0) {
        const std::string numero = std::to_string(v.duplicatoDi);
        const std::size_t p = m.testo.rfind("duplicato della riga " + numero);
        if (p != std::string::npos) {
            m.dove = p + std::string_view("duplicato della riga ").size();
            m.testo.erase(m.dove, numero.size());
        }
    }
    const std::uint32_t numero = NumeroMotivo(std::move(m));
    if (chiave != 0) {
        recenti_[(chiave * 0x9E3779B1u) >> 26] = ultimo_ = {chiave, numero};
    }
    return numero;
}

std::uint32_t ModelloElenco::Raccolta::NumeroMotivo(Motivo m) {
    const auto [dove, nuovo] = motivi_.try_emplace(std::to_string(m.dove) + ':' + m.testo,
                                                   static_cast<std::uint32_t>(motivi_.size()));
    if (nuovo) {
        lotto_.motivi.push_back(std::move(m));
    }
    return dove->second;
}

void ModelloElenco::Raccolta::Righe(std::string_view righe, std::uint64_t primo,
                                    std::span<const std::uint64_t> posti) {
    // Only the places here; what each line says the table reads, on its own thread, while this
    // one goes on with the list.
    Lotto& l = lotto_;
    if (l.semplici.empty()) {
        l.semplici.reserve(std::size_t{2} << 20);
    }
    l.semplici += righe;
    for (std::size_t k = 0; k < posti.size(); ++k) {
        const std::uint64_t riga = primo + k;
        const std::uint64_t posto = posti[k];
        const bool eccezione =
            posto > kPostoMassimo || riga <= ultima_ || riga - ultima_ - 1 > kSaltoMassimo;
        if (eccezione) {
            l.eccezioni.push_back({l.righe.size(), posto, riga, 0, 0, {}});
        }
        l.righe.push_back((eccezione ? 0 : posto) | kDaLeggere << 40 |
                          (eccezione ? kEccezione : riga - ultima_ - 1) << 44);
        l.impronte.push_back(0);
        ultima_ = riga;
    }
}

void ModelloElenco::Raccolta::Aggiungi(const VoceElenco& v) {
    Lotto& l = lotto_;
    const Esito esito = !v.Corretto() ? Errato : v.nonCorrisponde ? NonCorrisponde : Corretto;
    std::uint64_t posto = v.posto;
    if (foglio_) {
        posto = celle_ + l.celle.size();
        AggiungiNumero(l.celle, v.celle.size());
        for (std::string_view c : v.celle) {
            AggiungiNumero(l.celle, c.size());
            l.celle += c;
        }
    }
    l.celleMassime = std::max(l.celleMassime, static_cast<int>(v.celle.size()));
    Metti(posto, v.riga, esito, v.duplicatoDi != 0, v.calcolato, NumeroMotivo(v), v.duplicatoDi,
          v.codice, Impronta(v.celle));
}

void ModelloElenco::Raccolta::Metti(std::uint64_t posto, std::uint64_t riga, Esito esito,
                                    bool duplicato, bool calcolato, std::uint32_t motivo,
                                    std::uint64_t duplicatoDi, std::string_view codice,
                                    std::uint16_t impronta) {
    Lotto& l = lotto_;
    if (l.righe.empty()) {
        // Room for a lot at once: 1 MiB, as the lots go.
        l.righe.reserve(std::size_t{1} << 17);
        l.impronte.reserve(std::size_t{1} << 17);
    }
    std::uint64_t compatto = kNessunCodice;
    const bool impaccato = !calcolato || codice.empty() || Impacca(codice, compatto);
    const bool eccezione = posto > kPostoMassimo || riga <= ultima_ ||
                           riga - ultima_ - 1 > kSaltoMassimo || motivo > kMotivoMassimo ||
                           duplicatoDi > UINT32_MAX || !impaccato;
    if (eccezione) {
        l.eccezioni.push_back({l.righe.size(), posto, riga, motivo, duplicatoDi,
                               calcolato ? std::string(codice) : std::string()});
    }
    l.righe.push_back((eccezione ? 0 : posto) | std::uint64_t{esito} << 40 |
                      std::uint64_t{duplicato} << 42 | std::uint64_t{calcolato} << 43 |
                      (eccezione ? kEccezione : riga - ultima_ - 1) << 44 |
                      (eccezione ? 0 : CampoMotivo(motivo)) << 48);
    l.impronte.push_back(impronta);
    if (duplicato) {
        l.duplicati.push_back(eccezione ? 0 : static_cast<std::uint32_t>(duplicatoDi));
    }
    if (calcolato) {
        l.calcolati.push_back(compatto);
    }
    ultima_ = riga;
}

void ModelloElenco::Lotto::Svuota() {
    righe.clear();
    impronte.clear();
    duplicati.clear();
    calcolati.clear();
    eccezioni.clear();
    motivi.clear();
    celle.clear();
    semplici.clear();
}

void ModelloElenco::Raccolta::Prendi(Lotto& vuoto) {
    vuoto.Svuota();
    std::swap(vuoto, lotto_);
    lotto_.celleMassime = vuoto.celleMassime;
    celle_ += vuoto.celle.size();
}

ModelloElenco::ModelloElenco(QObject* genitore) : QAbstractTableModel(genitore) {}

}  // namespace nodrel
