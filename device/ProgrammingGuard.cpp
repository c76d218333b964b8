#include "device/ProgrammingGuard.h"

namespace kxt::device {

std::optional<std::string> ProgrammingRefusal(const os::Platform& p) {
    if (ProgrammingAllowed(p)) {
        return std::nullopt;
    }
    return "this build carries stand-in firmware images, not the vendor's, and programs only "
           "emulated devices (--emulate); to update a real enclosure, build with "
           "-DKXT_FIRMWARE_DIR=<directory of the vendor's images>";
}

bool ProgrammingAllowed(const os::Platform& p) {
    return !p.firmware.StandInImages() || p.scsi.Emulated();
}

}  // namespace kxt::device
