#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "emulator/SpiFlashPart.h"
#include "os/InterfaceListing.h"

namespace kxt::emulator {

// What an emulated device does with a command it does not know: a bridge of
// another make usually stalls it (a transport failure); some complete it with a
// CHECK CONDITION, which the host sees as success with no data.
enum class UnknownCommandBehaviour { Fail, Reject };

// Everything that tells one emulated chip from another, as the host can observe it.
struct Personality {
    os::InterfaceKind interface = os::InterfaceKind::Disk;
    std::string vendor = "Kavrix";           // INQUIRY bytes 8..15
    std::string product = "USB SATA Bridge";  // INQUIRY bytes 16..31
    std::string productRevision = "0100";     // INQUIRY bytes 32..35
    std::string inquiryChipCode;              // INQUIRY bytes 36..39, e.g. "k850"

    std::optional<std::array<std::uint8_t, 16>> identity;  // reply to E0 F4 E7
    std::int32_t identityLength = 16;                      // bytes the chip returns of it
    std::optional<std::array<std::uint8_t, 2>> legacyChipId;
    std::optional<std::vector<std::uint8_t>> chipInfo;      // reply to FF 04 30
    std::map<std::uint16_t, std::uint8_t> xdata;             // internal data memory, 0 elsewhere

    bool vendorCommands = true;  // false: a foreign disk that only answers INQUIRY
    UnknownCommandBehaviour unknownCommands = UnknownCommandBehaviour::Fail;

    std::optional<std::uint8_t> reportedFlashType;  // byte 0 of FF 04 23; none = command fails
    SpiFlashPart flashPart;

    bool needsRomSwitch = false;                // ROM commands work only after FF 04 05
    std::optional<int> parallelFlashPart;       // cycles the internal-ROM flash obeys

    int busyStatusReads = 0;  // the first n flash status reads report busy; -1: always
    int romBusyReads = 0;     // the first n ROM status reads after an erase report busy; -1: always

    std::optional<int> openError;  // the device cannot be opened: errno (EACCES, ENOENT ...)
    bool rawIoDenied = false;      // vendor opcodes refused with EPERM, as for a user without
                                   // CAP_SYS_RAWIO; INQUIRY still passes
    std::uint32_t reattachDelayMs = 1500;  // after a reset
};

}  // namespace kxt::emulator
