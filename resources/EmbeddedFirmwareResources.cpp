#include "resources/EmbeddedFirmwareResources.h"

#include <algorithm>

#include "resources/EmbeddedImages.h"

namespace kxt::resources {

std::optional<std::span<const std::uint8_t>> EmbeddedFirmwareResources::Find(
    std::string_view type, std::string_view name) const {
    const auto images = EmbeddedImages();
    const auto it = std::ranges::find_if(images, [&](const EmbeddedImage& image) {
        return image.type == type && image.name == name;
    });
    if (it == images.end()) {
        return std::nullopt;
    }
    return it->bytes;
}

bool EmbeddedFirmwareResources::StandInImages() const {
    return EmbedsStandInImages();
}

}  // namespace kxt::resources
