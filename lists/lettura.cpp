#include "lists/lettura.h"

#include <algorithm>
#include <cassert>
#include <exception>
#include <optional>
#include <span>
#include <utility>

#include "engine/esame.h"
#include "lists/semplici.h"
#include "lists/uscita.h"

namespace nodrel {

namespace {

constexpr std::size_t n = NODREL1::kLunghezzaPersonale;

// Whether the row at the front of `t` is sixteen bytes and its line end, which may be judged as
// they stand. The last row of a piece is left to the full reading, which knows whether a line
// feed follows its carriage return.
bool UnCodice(std::string_view t) {
    return t.size() > n + 1 && (t[n] == '\n' || (t[n] == '\r' && t[n + 1] == '\n'));
}

// Asks the memory for all of a row judged, and the views of its cells, ahead of their use: a
// batch is written on one core and read on the other, and its lines come together this way
// rather than one at a time. `Scrittura` 1 for lines about to be written.
template <int Scrittura>
void Anticipa(const RigaGiudicata& r) {
    const auto* p = reinterpret_cast<const char*>(&r);
    for (std::size_t b = 0; b < sizeof r; b += 64) {
        __builtin_prefetch(p + b, Scrittura);
    }
    __builtin_prefetch(r.celle.data(), Scrittura);
}

}  // namespace

Lettura::Lettura(Impostazioni impostazioni)
    : impostazioni_(impostazioni), giudice_(impostazioni.registro, impostazioni.oggi) {
    impostazioni_.minimo = std::max<std::size_t>(impostazioni_.minimo, 2);
}

Lettura::~Lettura() = default;

void Lettura::RigaDa(std::string_view byte, Codifica::Tipo tipo, char separatore,
                     std::string& testo) {
    Codifica codifica;
    codifica.Imposta(tipo);
    std::string_view t;
    codifica.Accogli(byte, t, false);
    LettoreRighe lettore;
    lettore.Separatore(separatore);
    lettore.Posto(t.data(), 0);
    RigaLetta riga;
    if (!lettore.Prossima(t, riga)) {
        lettore.Ultima(riga);
    }
    testo.assign(riga.testo);
}

void Lettura::Prevedi(std::uint64_t byte) {
    // A code takes seventeen bytes with its line end, at the least.
    previsti_ = byte;
    duplicati_.Prevedi(byte / (n + 1));
}

void Lettura::SecondaLettura() {
    // Everything the reading learnt goes, but the codes the filter may have seen twice.
    duplicati_.Seconda();
    stato_ = Stato{};
}

void Lettura::UnicaLettura() {
    // The rows met so far tell how many codes the text holds better than its bytes alone.
    const std::uint64_t righe = stato_.lettore.Numero();
    const std::uint64_t codici =
        righe != 0 && stato_.letto != 0
            ? static_cast<std::uint64_t>(static_cast<double>(previsti_) /
                                         static_cast<double>(stato_.letto) *
                                         static_cast<double>(righe)) +
                  righe
            : 0;
    duplicati_.Ricomincia(codici);
    impronte_ = std::vector<std::uint64_t>();
    confrontati_ = 0;
    cambiato_ = false;
    stato_ = Stato{};
}

Luoghi& Lettura::Comuni() {
    if (!luoghi_) {
        const NODREL1::Registro* registro =
            impostazioni_.registro != nullptr ? impostazioni_.registro->Prendi() : nullptr;
        luoghi_.emplace(registro, impostazioni_.oggi);
    }
    return *luoghi_;
}

Aiutante* Lettura::Aiuto() {
    if (!aiutante_ && !senzaAiutante_) {
        aiutante_ = Aiutante::Nuovo();
        senzaAiutante_ = aiutante_ == nullptr;
    }
    return aiutante_.get();
}

void Lettura::Leggi(std::string_view pezzo, Destinazione& destinazione) {
    Leggi(pezzo, destinazione,
          duplicati_.Quale() == Duplicati::Passata::Unica ? 0 : ImprontaPezzo(pezzo));
}

void Lettura::Leggi(std::string_view pezzo, Destinazione& destinazione, std::uint64_t impronta) {
    std::string_view testo;
    if (Confronta(impronta, false) && stato_.codifica.Accogli(pezzo, testo, false) &&
        Testa(testo, false)) {
        Scorri(testo, destinazione);
    }
}

void Lettura::Fine(Destinazione& destinazione) {
    if (!Confronta(0, true)) {
        return;
    }
    if (!stato_.deciso && !stato_.righeFoglio.empty()) {
        // A spreadsheet shorter than the rows the layout is told from.
        stato_.forma = TrovaForma(stato_.righeFoglio, '\t', impostazioni_.soloPersone);
        stato_.deciso = true;
        for (const RigaDiCelle& riga : std::exchange(stato_.righeFoglio, {})) {
            GiudicaFoglio(riga, destinazione);
        }
        return;
    }
    std::string_view testo;
    if (stato_.codifica.Accogli({}, testo, true) && Testa(testo, true)) {
        Scorri(testo, destinazione);
    }
    RigaLetta riga;
    if (stato_.lettore.Ultima(riga)) {
        RigaGiudicata& r = stato_.lotto[0];
        GiudicaRiga(riga, r);
        r.voce.posto = Byte(riga.posto);
        if (duplicati_.Quale() == Duplicati::Passata::Prima) {
            Segna(r);
        } else if (Completa(r)) {
            destinazione.Voce(r.voce);
        }
    }
}

bool Lettura::Confronta(std::uint64_t impronta, bool fine) {
    switch (duplicati_.Quale()) {
        case Duplicati::Passata::Unica:
            return true;
        case Duplicati::Passata::Prima:
            if (!fine) {
                impronte_.push_back(impronta);
            }
            return true;
        case Duplicati::Passata::Seconda:
            break;
    }
    if (cambiato_) {
        return false;
    }
    if (fine ? confrontati_ == impronte_.size()
             : confrontati_ < impronte_.size() && impronte_[confrontati_] == impronta) {
        ++confrontati_;
        return true;
    }
    if (stato_.totali.codici == 0) {
        // No row handed yet: the text as it is now is read once, with the table of every code.
        duplicati_.Ricomincia(0);
        impronte_ = std::vector<std::uint64_t>();
        return true;
    }
    cambiato_ = true;
    return false;
}

bool Lettura::Testa(std::string_view& testo, bool fine) {
    if (stato_.deciso) {
        return true;
    }
    std::string& testa = stato_.testa;
    testa.append(testo);
    const auto righe = static_cast<std::size_t>(std::count(testa.begin(), testa.end(), '\n') +
                                                std::count(testa.begin(), testa.end(), '\r'));
    if (!fine && righe < 2 * kRigheTesta && testa.size() < Codifica::kCampione) {
        return false;
    }
    // Only the first lines judge, however many the pieces held: the outcome cannot depend on
    // how the text came.
    std::size_t fino = 0;
    for (std::size_t fini = 0;
         fino < testa.size() && fino < Codifica::kCampione && fini < 2 * kRigheTesta; ++fino) {
        fini += testa[fino] == '\n' || testa[fino] == '\r';
    }
    const std::string_view prime = std::string_view(testa).substr(0, fino);
    const char separatore = LettoreRighe::TrovaSeparatore(prime);
    stato_.forma = TrovaForma(
        LettoreRighe::PrimeRighe(prime, separatore, fine && fino == testa.size(), kRigheTesta),
        separatore, impostazioni_.soloPersone);
    stato_.lettore.Separatore(separatore);
    stato_.soloCodice = stato_.forma.SoloCodice();
    stato_.deciso = true;
    stato_.tenuto = std::move(testa);
    testa = std::string();
    testo = stato_.tenuto;
    return true;
}

std::uint64_t Lettura::Byte(std::uint64_t posto) {
    Stato& s = stato_;
    if (s.codifica.Quale() == Codifica::Tipo::Utf8) {
        return s.codifica.Marca() + posto;
    }
    if (posto < s.contato) {
        assert(posto == s.trattenuta.first);
        return s.trattenuta.second;
    }
    s.byte += s.codifica.Byte(s.testo.substr(s.contato - s.letto, posto - s.contato));
    s.contato = posto;
    return s.codifica.Marca() + s.byte;
}

void Lettura::Scorri(std::string_view testo, Destinazione& destinazione) {
    stato_.testo = testo;
    stato_.lettore.Posto(testo.data(), stato_.letto);
    Scorri(destinazione);
    // Counted to the text's end, the start of a row it leaves held first.
    const std::uint64_t fine = stato_.letto + testo.size();
    if (const std::uint64_t inizio = stato_.lettore.Inizio();
        inizio >= stato_.contato && inizio < fine) {
        stato_.trattenuta = {inizio, Byte(inizio)};
    }
    Byte(fine);
    stato_.letto = fine;
}

void Lettura::Scorri(Destinazione& destinazione) {
    std::string_view testo = stato_.testo;
    const Duplicati::Passata passata = duplicati_.Quale();
    if (!stato_.soloCodice && passata != Duplicati::Passata::Prima && impostazioni_.parallelo) {
        if (Aiutante* aiutante = Aiuto()) {
            Affianca(testo, destinazione, *aiutante);
            return;
        }
    }
    for (;;) {
        const bool semplici = stato_.soloCodice && stato_.lettore.Libero() &&
                              stato_.lettore.Numero() >= stato_.forma.intestazione;
        if (semplici && passata == Duplicati::Passata::Prima) {
            stato_.lettore.Prese(stato_.marcatura.Segna(testo, duplicati_,
                                                        impostazioni_.parallelo ? Aiuto() : nullptr,
                                                        impostazioni_.minimo, lungheDiverse_));
        } else if (semplici && passata == Duplicati::Passata::Seconda && impostazioni_.parallelo &&
                   (destinazione.Code() != nullptr || destinazione.Decodifiche() != nullptr)) {
            ScriviSemplici(testo, destinazione);
        }
        const std::size_t quante = Prepara(testo);
        if (passata == Duplicati::Passata::Prima) {
            for (std::size_t i = 0; i < quante; ++i) {
                Segna(stato_.lotto[i]);
            }
        } else {
            Consegna(std::span(stato_.lotto).first(quante), destinazione);
        }
        if (quante < kLotto) {
            break;
        }
    }
}

void Lettura::Affianca(std::string_view& testo, Destinazione& destinazione, Aiutante& aiutante) {
    // Short batches where runs are short, so that a few rows already take both threads.
    const std::size_t lungo = std::clamp<std::size_t>(impostazioni_.minimo, 1, kLottoAffiancato);
    for (std::size_t k = 0; k < 2; ++k) {
        affiancati_[k].resize(lungo);
        lette_[k].resize(lungo);
    }
    // Both threads ask for the register only for a person's rows: it is taken here first.
    if (stato_.forma.Persone()) {
        Comuni();
    }
    if (!accanto_) {
        accanto_.emplace(impostazioni_.registro, impostazioni_.oggi);
    }
    std::size_t k = 0;
    std::size_t quante = Trova(testo, affiancati_[k], lette_[k]);
    libera_.store(0, std::memory_order_relaxed);
    GiudicaLibere(std::span(affiancati_[k]).first(quante), lette_[k], *accanto_);
    while (quante > 0) {
        // The helper takes the next batch off the text and judges it; this thread hands the
        // batch before on, then judges what is left of the next.
        std::size_t prossime = 0;
        std::exception_ptr errore;
        trovate_.store(SIZE_MAX, std::memory_order_relaxed);
        libera_.store(0, std::memory_order_relaxed);
        aiutante.Insieme([&](std::size_t chi) {
            if (chi == 0) {
                Consegna(std::span(affiancati_[k]).first(quante), destinazione);
                if (const std::size_t n = trovate_.load(std::memory_order_acquire); n != SIZE_MAX) {
                    GiudicaLibere(std::span(affiancati_[1 - k]).first(n), lette_[1 - k], *accanto_);
                }
                return;
            }
            try {
                prossime = quante == lungo ? Trova(testo, affiancati_[1 - k], lette_[1 - k]) : 0;
                trovate_.store(prossime, std::memory_order_release);
                GiudicaLibere(std::span(affiancati_[1 - k]).first(prossime), lette_[1 - k],
                              giudice_);
            } catch (...) {
                trovate_.store(0, std::memory_order_release);
                errore = std::current_exception();
            }
        });
        if (errore) {
            std::rethrow_exception(errore);
        }
        k = 1 - k;
        quante = prossime;
    }
}

std::size_t Lettura::Trova(std::string_view& pezzo, std::span<RigaGiudicata> lotto,
                           std::span<RigaLetta> lette) {
    std::size_t quante = 0;
    RigaLetta riga;
    while (quante < lotto.size() && stato_.lettore.Prossima(pezzo, riga)) {
        RigaGiudicata& r = lotto[quante];
        if (riga.trattenuta) {
            // The reader's own bytes change with the next piece.
            r.unito.assign(riga.testo);
            riga.testo = r.unito;
            riga.trattenuta = false;
        }
        r.voce.posto = Byte(riga.posto);
        lette[quante++] = riga;
    }
    return quante;
}

void Lettura::GiudicaLibere(std::span<RigaGiudicata> lotto, std::span<const RigaLetta> lette,
                            Giudice& giudice) {
    // A few rows at a time, so that the two threads seldom ask the counter at once.
    const std::size_t passo = std::max<std::size_t>(1, lotto.size() / 16);
    for (;;) {
        const std::size_t da = libera_.fetch_add(passo, std::memory_order_relaxed);
        if (da >= lotto.size()) {
            return;
        }
        const std::size_t fino = std::min(da + passo, lotto.size());
        for (std::size_t i = da; i < fino; ++i) {
            if (i + 4 < fino) {
                Anticipa<1>(lotto[i + 4]);
            }
            GiudicaRiga(lette[i], lotto[i], giudice);
        }
    }
}

void Lettura::Consegna(std::span<RigaGiudicata> lotto, Destinazione& destinazione) {
    for (std::size_t da = 0; da < lotto.size(); da += kLotto) {
        const auto parte = lotto.subspan(da, std::min(kLotto, lotto.size() - da));
        for (std::size_t i = 0; i < parte.size(); ++i) {
            if (i + 4 < parte.size()) {
                Anticipa<0>(parte[i + 4]);
            }
            const RigaGiudicata& r = parte[i];
            if (r.codice && r.voce.esame.Corretto()) {
                duplicati_.Anticipa(r.chiave);
            }
        }
        for (RigaGiudicata& r : parte) {
            Completa(r);
        }
        for (const RigaGiudicata& r : parte) {
            if (r.codice) {
                destinazione.Voce(r.voce);
            }
        }
    }
}

std::size_t Lettura::Prepara(std::string_view& pezzo) {
    LettoreRighe& lettore = stato_.lettore;
    std::size_t quante = 0;
    while (quante < kLotto) {
        RigaGiudicata& r = stato_.lotto[quante];
        // The common row, sixteen characters and its end, is judged as it stands; only one
        // with a character no code may hold (a blank, a quote, a separator, lower case) needs
        // the full reading.
        if (stato_.soloCodice && lettore.Libero(pezzo) &&
            lettore.Numero() >= stato_.forma.intestazione && UnCodice(pezzo) &&
            giudice_.GiudicaSemplice(pezzo.data(), lettore.Numero() + 1, r)) {
            lettore.Prese(1);
            r.voce.posto = Byte(Qui(pezzo.data()));
            pezzo.remove_prefix(n + 1 + (pezzo[n] == '\r'));
            ++quante;
            continue;
        }
        RigaLetta riga;
        if (!lettore.Prossima(pezzo, riga)) {
            break;
        }
        GiudicaRiga(riga, r);
        r.voce.posto = Byte(riga.posto);
        ++quante;
    }
    return quante;
}

void Lettura::GiudicaRiga(const RigaLetta& riga, RigaGiudicata& r, Giudice& giudice) const {
    r.codice = false;
    std::string_view testo = riga.testo;
    if (riga.trattenuta) {
        r.unito.assign(testo);
        testo = r.unito;
    }
    if (riga.numero <= stato_.forma.intestazione) {
        return;  // the header, and the titles above it
    }
    LettoreRighe::Celle(testo, stato_.forma.separatore, r.pulito, r.celle);
    if (std::all_of(r.celle.begin(), r.celle.end(), [](auto c) { return c.empty(); })) {
        return;
    }
    // The first of two readings marks the codes only: the person is compared in the second.
    giudice.Giudica(r, stato_.forma, riga.numero, duplicati_.Quale() != Duplicati::Passata::Prima);
}

void Lettura::Segna(const RigaGiudicata& r) {
    if (!r.codice || !r.voce.Corretto()) {
        return;
    }
    // Marked by the code as a plain row would give it.
    char sedici[n] = {};
    if (r.diretto) {
        std::copy_n(r.voce.codice.data(), n, sedici);
    } else {
        const NODREL1::CodiceCompatto k = NODREL1::Compatta(r.voce.codice);
        for (std::size_t i = 0; i < k.n && i < n; ++i) {
            sedici[i] = static_cast<char>(k.c[i]);
        }
    }
    const std::uint64_t impronta = ImprontaCodice(sedici);
    if (duplicati_.Filtro().Segna(impronta)) {
        duplicati_.Candidato(r.chiave, r.omocodia, impronta);
    }
}

bool Lettura::Completa(RigaGiudicata& r) {
    if (!r.codice) {
        return false;
    }
    VoceElenco& v = r.voce;
    Riepilogo& totali = stato_.totali;
    v.duplicatoDi = 0;
    if (!r.luogoGiudicato) {
        v.luogo = Luogo::Noto;
    }
    ++totali.codici;
    if (!v.Corretto()) {
        ++totali.errati;
        return true;
    }
    if (v.nonCorrisponde) {
        ++totali.nonCorrispondenti;
    } else {
        ++totali.corretti;
    }
    totali.calcolati += v.calcolato;
    v.duplicatoDi = duplicati_.Vedi(r.chiave, r.omocodia, v.riga);
    totali.duplicati += v.duplicatoDi != 0;
    if (!v.esame.numerico && !r.luogoGiudicato) {
        Luoghi& luoghi = Comuni();
        const std::uint32_t comune = NODREL1::ComuneDellaChiave(r.chiave);
        luoghi.Chiedi(comune);
        v.luogo = luoghi.Giudica(comune, NODREL1::DataDellaChiave(r.chiave));
    }
    return true;
}

void Lettura::ScriviSemplici(std::string_view& testo, Destinazione& destinazione) {
    if (!stato_.parti) {
        stato_.parti = std::make_unique<Parti>();
    }
    Parti& parti = *stato_.parti;
    const Parti::Contesto contesto{duplicati_.Tenuti(),  Comuni(),
                                   destinazione.Code(),  destinazione.Decodifiche(),
                                   impostazioni_.minimo, lungheDiverse_};
    if (!parti.Scrivi(testo, stato_.lettore.Numero(), contesto, Aiuto())) {
        return;
    }
    Consegna(parti.Meta(0), destinazione);
    if (parti.Entrambe()) {
        Consegna(parti.Meta(1), destinazione);
    }
    stato_.lettore.Prese(parti.Prese());
    testo.remove_prefix(parti.Lette());
}

void Lettura::Consegna(const Parte& p, Destinazione& destinazione) {
    // The places of the rows before `limite`, each with its line, for a destination that wants
    // them; the halves' rows are plain, one after the other, and numbered so.
    const bool posti = destinazione.Posti();
    std::vector<std::uint64_t>& dove = stato_.posti;
    dove.clear();
    std::size_t prossima = 0;
    std::uint64_t numero = p.prima + 1;  // of the first row of the lines to hand
    auto fino = [&](const char* limite) {
        for (; posti && prossima < p.fine && p.testo.data() + prossima < limite;
             prossima = DopoRiga(p.testo, prossima)) {
            dove.push_back(Byte(Qui(p.testo.data() + prossima)));
        }
    };
    std::size_t da = 0;
    // The table's places of the codes that may have come before are asked of the memory a few
    // rows ahead: it is far larger than the caches, and each is looked up in turn.
    constexpr std::size_t kAvanti = 8;
    auto anticipa = [this, &p](std::size_t i) {
        if (i < p.rinviate.size() && p.rinviate[i].giudicata && p.rinviate[i].giudizio.Corretto()) {
            duplicati_.Anticipa(p.rinviate[i].chiave);
        }
    };
    for (std::size_t i = 0; i < kAvanti; ++i) {
        anticipa(i);
    }
    for (std::size_t i = 0; i < p.rinviate.size(); ++i) {
        const Parte::Rinviata& r = p.rinviate[i];
        anticipa(i + kAvanti);
        fino(r.riga);
        destinazione.Semplici(p.uscita.substr(da, r.posizione - da), numero, dove);
        dove.clear();
        if (posti) {
            prossima = DopoRiga(p.testo, prossima);  // the row left for this thread
        }
        numero = r.numero + 1;
        da = r.posizione;
        // Most of them need no full reading: a code the filter took for another, or the first
        // of one seen again.
        if (ScriviRinviata(r, destinazione)) {
            continue;
        }
        RigaGiudicata& riga = stato_.lotto[0];
        if (!giudice_.GiudicaSemplice(r.riga, r.numero, riga)) {
            GiudicaRiga({std::string_view(r.riga, n), r.numero, false}, riga);
        }
        riga.voce.posto = Byte(Qui(r.riga));
        if (Completa(riga)) {
            destinazione.Voce(riga.voce);
        }
    }
    fino(p.testo.data() + p.fine);
    destinazione.Semplici(p.uscita.substr(da), numero, dove);
    stato_.totali.codici += p.totali.codici;
    stato_.totali.corretti += p.totali.corretti;
    stato_.totali.errati += p.totali.errati;
}

bool Lettura::ScriviRinviata(const Parte::Rinviata& r, Destinazione& destinazione) {
    std::uint64_t chiave = r.chiave;
    const NODREL1::Giudizio giudizio =
        r.giudicata
            ? r.giudizio
            : NODREL1::GiudicaPersonale(reinterpret_cast<const unsigned char*>(r.riga), chiave);
    if (giudizio.Tipo() == NODREL1::Difetto::Carattere) {
        return false;
    }
    const CodeVerifica* verifica = destinazione.Code();
    const std::uint32_t comune = NODREL1::ComuneDellaChiave(chiave);
    const std::uint32_t data = NODREL1::DataDellaChiave(chiave);
    Luogo luogo = Luogo::Noto;
    std::uint64_t prima = 0;
    if (giudizio.Corretto()) {
        // The table last, as nothing after it may send the row to the full reading: a code met
        // for the first time is recorded on this row. One met before changes nothing there; a
        // destination that keeps rows rather than text has its duplicates from the full reading.
        const std::uint8_t omocodia = giudizio.Omocodico() ? NODREL1::Omocodia(r.riga) : 0;
        prima = duplicati_.Vedi(chiave, omocodia, r.numero);
        if (prima != 0 && destinazione.Posti()) {
            return false;
        }
        ++stato_.totali.corretti;
        stato_.totali.duplicati += prima != 0;
        if (verifica != nullptr) {
            Luoghi& luoghi = Comuni();
            luoghi.Chiedi(comune);
            luogo = luoghi.Giudica(comune, data);
        }
    } else {
        ++stato_.totali.errati;
    }
    ++stato_.totali.codici;
    Contatore numero;
    numero.Da(r.numero);
    std::string& riga = stato_.rinviata;
    if (verifica != nullptr) {
        riga.resize(20 + CodeVerifica::kMassimoDuplicato);
        char* o = numero.Scrivi(riga.data());
        o = prima != 0 ? verifica->ScriviDuplicato(o, r.riga, giudizio, luogo, prima)
                       : verifica->Scrivi(o, r.riga, giudizio, luogo);
        riga.resize(static_cast<std::size_t>(o - riga.data()));
    } else {
        CodeDecodifica& decodifica = *destinazione.Decodifiche();
        if (giudizio.Corretto()) {
            decodifica.Prepara(comune);
        }
        riga.resize(20 + decodifica.Massimo());
        riga.resize(static_cast<std::size_t>(
            decodifica.Scrivi(numero.Scrivi(riga.data()), r.riga, giudizio, comune, data) -
            riga.data()));
    }
    const std::uint64_t posto = destinazione.Posti() ? Byte(Qui(r.riga)) : 0;
    destinazione.Semplici(riga, r.numero, {&posto, 1});
    return true;
}

void Lettura::LeggiRiga(std::uint64_t riga, std::span<const std::string_view> celle,
                        Destinazione& destinazione) {
    RigaDiCelle letta{riga, std::vector<std::string>(celle.begin(), celle.end())};
    if (!stato_.deciso) {
        // The first rows are held until the layout is known.
        if (std::any_of(celle.begin(), celle.end(), [](const auto& c) { return !c.empty(); })) {
            stato_.righeFoglio.push_back(std::move(letta));
        }
        if (stato_.righeFoglio.size() < kRigheTesta) {
            return;
        }
        stato_.forma = TrovaForma(stato_.righeFoglio, '\t', impostazioni_.soloPersone);
        stato_.deciso = true;
        for (const RigaDiCelle& tenuta : std::exchange(stato_.righeFoglio, {})) {
            GiudicaFoglio(tenuta, destinazione);
        }
        return;
    }
    GiudicaFoglio(letta, destinazione);
}

void Lettura::GiudicaFoglio(const RigaDiCelle& riga, Destinazione& destinazione) {
    RigaGiudicata& r = stato_.lotto[0];
    r.codice = false;
    if (riga.numero <= stato_.forma.intestazione) {
        return;
    }
    r.voce.posto = 0;  // a spreadsheet's rows are not read again from the file
    r.celle.assign(riga.celle.begin(), riga.celle.end());
    if (std::all_of(r.celle.begin(), r.celle.end(), [](auto c) { return c.empty(); })) {
        return;
    }
    giudice_.Giudica(r, stato_.forma, riga.numero);
    if (Completa(r)) {
        destinazione.Voce(r.voce);
    }
}

}  // namespace nodrel
