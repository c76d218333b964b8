#pragma once

// Device access: everything that talks to a bridge chip.
#include "device/ChipCapabilities.h"
#include "device/ChipIdentification.h"
#include "device/DeviceDiscovery.h"
#include "device/FirmwareIdentity.h"
#include "device/FlashReadiness.h"
#include "device/FlashTypes.h"
#include "device/PassThrough.h"
#include "device/SerialFlashProbe.h"
#include "device/VendorCommands.h"
