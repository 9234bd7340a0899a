#include "ui/elenco/lavoro.h"

#include <algorithm>

#include "ui/elenco/modello.h"

namespace nodrel {

namespace {

// The bytes of rows sent to the window and not yet taken, at most.
constexpr int kInViaggio = 32 << 20;
// Rows go to the window in lots of about this size, or a few times a second.
constexpr std::size_t kLotto = 1 << 20;
constexpr int kIntervallo = 150;

}  // namespace

LavoroElenco::LavoroElenco(Sorgente sorgente, std::shared_ptr<const NODREL1::Registro> registro,
                           QString percorsoRegistro)
    : sorgente_(std::move(sorgente)),
      registro_(registro ? RegistroAtteso(std::move(registro))
                         : RegistroAtteso(percorsoRegistro.toStdU16String())),
      inViaggio_(kInViaggio) {}

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

void LavoroElenco::Voce(const VoceElenco& voce) {
    ModelloElenco::Scrivi(righe_, voce);
    celle_ = std::max(celle_, static_cast<int>(voce.celle.size()));
    if (righe_.size() >= kLotto || tempo_.elapsed() >= kIntervallo) {
        Consegna();
    }
}

void LavoroElenco::Consegna() {
    if (righe_.empty()) {
        return;
    }
    if (fermo_.stop_requested()) {
        righe_.clear();  // a stopped run's rows are not wanted
        return;
    }
    // Ferma lets a run waiting here go after asking it to stop.
    inViaggio_.acquire(static_cast<int>(std::min<std::size_t>(righe_.size(), kInViaggio)));
    emit Arrivate(righe_, esecuzione_->Forma(), celle_);
    righe_ = std::string();
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
