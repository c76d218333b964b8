#pragma once

#include <string>

namespace kxt::os {

// The name under which a storage interface is opened: a /dev node on Linux, an
// "emu:" name for an emulated device. Every device operation takes one and opens
// and closes the device itself.
using DevicePath = std::string;

}  // namespace kxt::os
