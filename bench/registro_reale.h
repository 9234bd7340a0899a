#pragma once

// The real register beside the benchmarks, for those that time the engine over it.

#include <benchmark/benchmark.h>

#include <memory>

#include "engine/errore.h"
#include "engine/registro.h"
#include "misura.h"
#include "register/comuni.h"

namespace misura {

// Read once, as the main window's start-up reads it; a missing file skips the benchmark.
inline std::shared_ptr<const NODREL1::Registro> Registro(benchmark::State& state) {
    try {
        static const auto registro = nodrel::ApriRegistro(PercorsoRegistro().u16string());
        return registro;
    } catch (const NODREL1::Errore&) {
        state.SkipWithError("Comuni.mdb beside the executable cannot be opened");
        return nullptr;
    }
}

}  // namespace misura
