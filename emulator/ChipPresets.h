#pragma once

#include <string>
#include <vector>

#include "emulator/Personality.h"

namespace kxt::emulator {

// The maker's older bridges, each answering identification the way its
// generation does (INQUIRY chip code, identity record, older chip id, chip
// information, or the USB ids), with the flash part it runs from: a serial flash
// for the external-flash chips, the parallel flash behind the internal-ROM chips.
// The flash array and the rest stay as given. False for a name that is not one
// of them.
bool ApplyChipPreset(const std::string& name, Personality& p);

std::vector<std::string> ChipPresetNames();

}  // namespace kxt::emulator
