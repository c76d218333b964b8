#pragma once

#include <cstdint>
#include <filesystem>

#include "os/UiServices.h"

namespace kxt::device {

// Whether a firmware file on disk belongs to the identified chip, judged from at
// most two 10-byte headers. `chipIdentity` holds the chip class in its low byte and
// the revision in its high byte. A file that cannot be opened is reported in an
// error box and rejected; every other rejection is silent.
bool CheckFirmwareFile(os::UiServices& ui, const std::filesystem::path& file,
                       std::uint16_t chipIdentity);

}  // namespace kxt::device
