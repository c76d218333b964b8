#pragma once

#include <string>
#include <vector>

#include "emulator/Personality.h"

namespace kxt::emulator {

// The maker's older bridges, each answering identification the way its
// generation does (INQUIRY chip code, identity record, older chip id, chip
// information, or the USB ids). Sets only what identification reads; the flash and
// the rest stay as given. False for a name that is not one of them.
bool ApplyChipPreset(const std::string& name, Personality& p);

std::vector<std::string> ChipPresetNames();

}  // namespace kxt::emulator
