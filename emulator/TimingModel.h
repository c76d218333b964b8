#pragma once

#include <chrono>
#include <cstdint>

namespace kxt::emulator {

// What one command made the flash array do.
struct FlashWork {
    std::uint32_t smallBlockErases = 0;
    std::uint32_t largeBlockErases = 0;
    std::uint32_t sectorErases = 0;  // the sector-erase command's unit
    std::uint32_t chipErases = 0;
    std::uint64_t programmedBytes = 0;
};

// How long an emulated device takes for a command: the USB round trip, the data phase
// at the link's rate, and the erases and page programs the flash carries out. Commands
// complete synchronously, so the device is never seen busy because of them. All zero
// (the default): commands take no time.
struct TimingModel {
    std::chrono::microseconds commandLatency{0};
    std::uint64_t bytesPerSecond = 0;  // 0: the data phase takes no time
    std::chrono::microseconds smallBlockErase{0};
    std::chrono::microseconds largeBlockErase{0};
    std::chrono::microseconds sectorErase{0};
    std::chrono::microseconds chipErase{0};
    std::chrono::microseconds pageProgram{0};  // per page touched
    std::uint32_t pageSize = 256;              // 1: the program time is per byte

    // A command whose data phase moved `transferredBytes` and whose flash did `work`.
    std::chrono::microseconds Cost(std::uint64_t transferredBytes, const FlashWork& work) const;
};

}  // namespace kxt::emulator
