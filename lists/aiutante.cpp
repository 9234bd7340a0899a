#include "lists/aiutante.h"

#include <chrono>
#include <system_error>

namespace nodrel {

namespace {

// Waits for `s` a little before sleeping on it: the other thread's step mostly ends within tens
// of microseconds, and a processor woken from sleep (a virtual one above all) takes longer.
void Prendi(std::binary_semaphore& s) {
    const auto fino = std::chrono::steady_clock::now() + std::chrono::microseconds(50);
    do {
        for (int i = 0; i < 64; ++i) {
            if (s.try_acquire()) {
                return;
            }
#if defined(__x86_64__) || defined(__i386__)
            __builtin_ia32_pause();
#endif
        }
    } while (std::chrono::steady_clock::now() < fino);
    s.acquire();
}

}  // namespace

std::unique_ptr<Aiutante> Aiutante::Nuovo() {
    try {
        return std::make_unique<Aiutante>();
    } catch (const std::system_error&) {
        return nullptr;
    }
}

Aiutante::Aiutante()
    : filo_([this](std::stop_token fine) {
          for (;;) {
              Prendi(pronto_);
              if (fine.stop_requested()) {
                  return;
              }
              lavoro_();
              fatto_.release();
          }
      }) {}

Aiutante::~Aiutante() {
    filo_.request_stop();
    pronto_.release();
}

void Aiutante::Avvia(std::function<void()> lavoro) {
    lavoro_ = std::move(lavoro);
    pronto_.release();
}

void Aiutante::Attendi() {
    Prendi(fatto_);
}

}  // namespace nodrel
