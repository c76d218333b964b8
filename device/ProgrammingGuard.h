#pragma once

#include <optional>
#include <string>

#include "os/Platform.h"

namespace kxt::device {

// A build that embeds stand-in firmware images must never write them into real
// hardware: every command that changes flash is refused unless the devices are
// emulated. Front ends ask before they start so that they can say why; the text
// is empty when programming is allowed.
std::optional<std::string> ProgrammingRefusal(const os::Platform& p);

bool ProgrammingAllowed(const os::Platform& p);

}  // namespace kxt::device
