#pragma once

#include "os/FirmwareResources.h"

namespace kxt::resources {

// The images compiled into the program, found by type and name.
class EmbeddedFirmwareResources final : public os::FirmwareResources {
  public:
    std::optional<std::span<const std::uint8_t>> Find(std::string_view type,
                                                      std::string_view name) const override;
    bool StandInImages() const override;
};

}  // namespace kxt::resources
