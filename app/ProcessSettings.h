#pragma once

#include <cstdint>

namespace kxt::app {

// Sizes that the engineering panel sets and the older update paths read. They
// live as long as the process (there is one window per process).
struct ProcessSettings {
    std::uint32_t FirmwareSize = 65536;
    std::uint32_t TransferPageSize = 16384;
};

}  // namespace kxt::app
