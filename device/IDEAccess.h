#pragma once

// Device access: everything that talks to a bridge chip.
#include "device/BlockProgramming.h"
#include "device/ChipCapabilities.h"
#include "device/EraseSelection.h"
#include "device/FirmwareIdentity.h"
#include "device/FlashArea.h"
#include "device/FlashReadiness.h"
#include "device/FlashTypes.h"
#include "device/PassThrough.h"
#include "device/SerialFlashProbe.h"
#include "device/VendorCommands.h"
