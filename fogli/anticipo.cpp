#include <QIODevice>
#include <cstring>

#include "fogli/interno.h"

namespace nodrel {

namespace {

constexpr std::int64_t kBlocco = std::int64_t{256} << 10;

}  // namespace

Anticipo::Anticipo(QIODevice& dispositivo) : dispositivo_(dispositivo) {
    for (int i = 0; i < 3; ++i) {
        liberi_.emplace_back();
    }
    lavoro_ = std::thread([this] { Lavora(); });
}

Anticipo::~Anticipo() {
    {
        const std::lock_guard<std::mutex> chiave(mutex_);
        fermo_ = true;
    }
    cambiato_.notify_all();
    lavoro_.join();
}

void Anticipo::Lavora() {
    for (;;) {
        std::vector<char> blocco;
        {
            std::unique_lock<std::mutex> chiave(mutex_);
            cambiato_.wait(chiave, [this] { return fermo_ || !liberi_.empty(); });
            if (fermo_) {
                return;
            }
            blocco = std::move(liberi_.back());
            liberi_.pop_back();
        }
        blocco.resize(static_cast<std::size_t>(kBlocco));
        const std::int64_t n = dispositivo_.read(blocco.data(), kBlocco);
        blocco.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
        {
            const std::lock_guard<std::mutex> chiave(mutex_);
            pronti_.push_back({std::move(blocco), n});
        }
        cambiato_.notify_all();
        if (n <= 0) {
            return;
        }
    }
}

std::int64_t Anticipo::Leggi(char* dati, std::int64_t n) {
    if (letto_ == corrente_.dati.size()) {
        std::unique_lock<std::mutex> chiave(mutex_);
        if (corrente_.esito <= 0 && corrente_.esito != kNessuno) {
            return corrente_.esito;  // the end, or the error, again
        }
        if (corrente_.esito != kNessuno) {
            liberi_.push_back(std::move(corrente_.dati));
            cambiato_.notify_all();
        }
        cambiato_.wait(chiave, [this] { return !pronti_.empty(); });
        corrente_ = std::move(pronti_.front());
        pronti_.pop_front();
        letto_ = 0;
        if (corrente_.esito <= 0) {
            return corrente_.esito;
        }
    }
    const std::size_t quanto =
        std::min(static_cast<std::size_t>(n), corrente_.dati.size() - letto_);
    std::memcpy(dati, corrente_.dati.data() + letto_, quanto);
    letto_ += quanto;
    return static_cast<std::int64_t>(quanto);
}

}  // namespace nodrel
