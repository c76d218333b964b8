#pragma once

#include <cstdint>
#include <span>
#include <string_view>

// The firmware images compiled into the program. The build generates the
// definitions from resources/firmware/<TYPE>/<NAME>.bin (or the directory named
// by KXT_FIRMWARE_DIR) after checking every KXT850 image's layout.
namespace kxt::resources {

struct EmbeddedImage {
    std::string_view type;  // "KXT850", "KXT861" or "FW"
    std::string_view name;  // "FW6701"
    std::span<const std::uint8_t> bytes;
};

// Sorted by type, then name.
std::span<const EmbeddedImage> EmbeddedImages();

// True when the images are generated stand-ins, not the vendor's.
bool EmbedsStandInImages();

}  // namespace kxt::resources
