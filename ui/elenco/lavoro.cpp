#include "ui/elenco/lavoro.h"

#include <algorithm>

namespace nodrel {

namespace {

// The bytes of rows sent to the window and not yet taken, at most; the lots given back kept.
constexpr int kInViaggio = 16 << 20;
constexpr std::size_t kLiberi = 4;
// Rows go to the window in lots of about this size, or a few times a second; the clock is
// looked at every kOgni rows.
constexpr std::size_t kLotto = 1 << 20;
constexpr int kIntervallo = 150;
constexpr std::size_t kOgni = 4096;

}  // namespace

LavoroElenco::LavoroElenco(Sorgente sorgente, bool foglio,
                           std::shared_ptr<const NODREL1::Registro> registro,
                           QString percorsoRegistro)
    : sorgente_(std::move(sorgente)),
      registro_(registro ? RegistroAtteso(std::move(registro))
                         : RegistroAtteso(percorsoRegistro.toStdU16String())),
      inViaggio_(kInViaggio),
      foglio_(foglio),
      raccolta_(foglio) {}

LavoroElenco::~LavoroElenco() {
    if (sorgente_.flusso != nullptr) {
        std::fclose(sorgente_.flusso);
    }
}

void LavoroElenco::Esegui() {
    esecuzione_ = std::make_unique<Esecuzione>(Esecuzione::Impostazioni{&registro_});
    tempo_.start();
    const EsitoEsecuzione esito = esecuzione_->Esegui(sorgente_, *this, fermo_.get_token(), this);
    Consegna();
    emit Finito(static_cast<int>(esito.tipo), QString::fromStdString(esito.perche),
                QString::fromStdString(esecuzione_->Foglio()));
}

void LavoroElenco::Ferma() {
    fermo_.request_stop();
    // A run waiting for the window to take its rows goes on to see the request.
    inViaggio_.release(kInViaggio);
}

void LavoroElenco::Prese(std::size_t byte) {
    inViaggio_.release(static_cast<int>(std::min<std::size_t>(byte, kInViaggio)));
}

void LavoroElenco::Restituisci(std::shared_ptr<ModelloElenco::Lotto> lotto) {
    const QMutexLocker chiuso(&mutex_);
    if (liberi_.size() < kLiberi) {
        liberi_.push_back(std::move(lotto));
    }
}

void LavoroElenco::Voce(const VoceElenco& voce) {
    raccolta_.Aggiungi(voce);
    if (raccolta_.Attuale().righe.size() % kOgni == 0) {
        Dopo();
    }
}

void LavoroElenco::Semplici(std::string_view righe, std::uint64_t primo,
                            std::span<const std::uint64_t> posti) {
    raccolta_.Righe(righe, primo, posti);
    Dopo();
}

void LavoroElenco::Dopo() {
    if (raccolta_.Attuale().Byte() >= kLotto || tempo_.elapsed() >= kIntervallo) {
        Consegna();
    }
}

void LavoroElenco::Consegna() {
    if (raccolta_.Attuale().righe.empty()) {
        return;
    }
    std::shared_ptr<ModelloElenco::Lotto> lotto;
    {
        const QMutexLocker chiuso(&mutex_);
        if (!liberi_.empty()) {
            lotto = std::move(liberi_.back());
            liberi_.pop_back();
        }
    }
    if (!lotto) {
        lotto = std::make_shared<ModelloElenco::Lotto>();
    }
    raccolta_.Prendi(*lotto);
    if (fermo_.stop_requested()) {
        return;  // a stopped run's rows are not wanted
    }
    lotto->forma = esecuzione_->Forma();
    lotto->conversione = esecuzione_->Conversione();
    // Ferma lets a run waiting here go after asking it to stop.
    inViaggio_.acquire(static_cast<int>(std::min<std::size_t>(lotto->Byte(), kInViaggio)));
    emit Arrivate(std::move(lotto));
    tempo_.restart();
}

void LavoroElenco::Avviso(std::string_view perche) {
    emit Avvisa(QStringLiteral("Elenco dei comuni non disponibile (%1)")
                    .arg(QString::fromUtf8(perche.data(), static_cast<qsizetype>(perche.size()))));
}

void LavoroElenco::Avanzamento(std::uint64_t letti, std::uint64_t totale, int lettura,
                               int letture) {
    const int millesimi =
        totale == 0 ? 0
                    : static_cast<int>(((lettura - 1) * 1000 +
                                        std::min<std::uint64_t>(letti, totale) * 1000 / totale) /
                                       letture);
    if (millesimi != millesimi_) {
        millesimi_ = millesimi;
        emit Avanza(millesimi);
    }
}

}  // namespace nodrel
