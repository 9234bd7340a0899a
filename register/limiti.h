#pragma once

#include <cstddef>

namespace nodrel {

// No municipality name comes near this; a longer value in the register means a damaged file.
inline constexpr std::size_t kLunghezzaMassimaValore = 200;

}  // namespace nodrel
