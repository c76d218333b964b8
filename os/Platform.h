#pragma once

#include "os/Clock.h"
#include "os/FirmwareResources.h"
#include "os/InterfaceListing.h"
#include "os/ScsiPassThrough.h"
#include "os/UiServices.h"

namespace kxt::os {

// Everything the core sees of the machine. Front ends fill it with the Linux
// implementations or the emulator; tests with the emulator and recorders.
struct Platform {
    ScsiPassThrough& scsi;
    Clock& clock;
    FirmwareResources& firmware;
    UiServices& ui;
    InterfaceListing& interfaces;
};

}  // namespace kxt::os
