#pragma once

#include <cstdint>
#include <span>

#include "device/FlashArea.h"

// Programming an image into a bridge's flash by block commands, proved by reading it
// back.
namespace kxt::device {

// Programs the image at flash address 0 and reads it back; true when the flash reads
// back identical. Up to three attempts, erasing by large blocks, then the whole
// flash, then small blocks; a failed command or a difference ends an attempt. Nothing
// restores the old content after three failures. With `detectionAllowed` a flash type
// the bridge does not know is probed from the host. An empty image is refused before
// anything is sent.
bool ProgramAndVerify(const os::Platform& p, const DevicePath& path,
                      std::span<const std::uint8_t> image, bool detectionAllowed);

}  // namespace kxt::device
