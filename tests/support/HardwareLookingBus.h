#pragma once

#include <vector>

#include "emulator/EmulatedBus.h"
#include "os/ScsiPassThrough.h"

namespace kxt::testing {

// The emulated bus as a real machine's pass-through would present it: the same
// devices, but not known to be emulated.
class HardwareLookingBus final : public os::ScsiPassThrough {
public:
    explicit HardwareLookingBus(emulator::EmulatedBus& bus) : bus_(bus) {}
    os::OpenResult Open(const os::DevicePath& path, os::ShareMode mode) override {
        return bus_.Open(path, mode);
    }
    std::vector<os::DevicePath> PermissionDenials() const override {
        return bus_.PermissionDenials();
    }
    bool Emulated() const override { return false; }

private:
    emulator::EmulatedBus& bus_;
};

}  // namespace kxt::testing
