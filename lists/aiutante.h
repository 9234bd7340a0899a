#pragma once

// A second thread that does one step of work at a time while the reading's own thread does the
// other half: the plain rows of a list are marked, judged and written on both cores.

#include <functional>
#include <memory>
#include <semaphore>
#include <thread>

namespace nodrel {

class Aiutante {
public:
    // A thread, or none when the system has none to give: the caller then does both halves.
    static std::unique_ptr<Aiutante> Nuovo();
    Aiutante();
    ~Aiutante();

    // Starts `lavoro` on the thread; Attendi waits for it to end. One step at a time.
    void Avvia(std::function<void()> lavoro);
    void Attendi();

    // Does `lavoro(1)` on the thread and `lavoro(0)` here, and waits for both, however this one
    // ends.
    template <class F>
    void Insieme(const F& lavoro) {
        struct Attesa {
            Aiutante* aiutante;
            ~Attesa() { aiutante->Attendi(); }
        } attesa{this};
        Avvia([&lavoro] { lavoro(1); });
        lavoro(0);
    }

private:
    std::function<void()> lavoro_;
    std::binary_semaphore pronto_{0};
    std::binary_semaphore fatto_{0};
    std::jthread filo_;  // last: it starts once the rest is there, and ends before it goes
};

}  // namespace nodrel
