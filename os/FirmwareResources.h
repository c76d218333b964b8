#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace kxt::os {

// Firmware images carried inside the executable, found by type ("KXT850",
// "KXT861", "FW") and name ("FW6701"). The bytes live as long as the program.
class FirmwareResources {
public:
    virtual ~FirmwareResources() = default;
    virtual std::optional<std::span<const std::uint8_t>> Find(std::string_view type,
                                                              std::string_view name) const = 0;

    // True when the images are generated stand-ins rather than the vendor's: they
    // must never be written into a real device.
    virtual bool StandInImages() const = 0;
};

}  // namespace kxt::os
