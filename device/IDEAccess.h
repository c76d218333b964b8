#pragma once

// Device access: everything that talks to a bridge chip.
#include "device/ChipCapabilities.h"
#include "device/ChipIdentification.h"
#include "device/DeviceDiscovery.h"
#include "device/ConfigBlockMerge.h"
#include "device/FirmwareCatalogue.h"
#include "device/FirmwareFileCheck.h"
#include "device/FirmwareIdentity.h"
#include "device/FlashReadiness.h"
#include "device/FlashTypes.h"
#include "device/ImageChecksum.h"
#include "device/KXT850Image.h"
#include "device/KXT850ImageCheck.h"
#include "device/PassThrough.h"
#include "device/ProgrammingGuard.h"
#include "device/SerialFlashProbe.h"
#include "device/VendorCommands.h"
