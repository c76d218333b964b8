#include "device/FlashArea.h"

#include <algorithm>
#include <new>
#include <vector>

#include "device/FlashReadiness.h"

namespace kxt::device {
namespace {

constexpr std::size_t kTransferUnit = 512;
// The chunk at flash address 0 is never longer than this.
constexpr std::uint32_t kFirstChunkLimit = 4096;
// MXIC parts get this bit on an erasing chunk at flash address 0.
constexpr std::uint8_t kMxicFirstChunkBit = 0x80;
constexpr std::uint64_t kFlashAddressSpace = std::uint64_t{1} << 24;

std::size_t TransferLength(std::size_t length) {
    return (length + kTransferUnit - 1) / kTransferUnit * kTransferUnit;
}

// The area, rounded up to whole transfer units, lies inside the 24-bit flash address
// space, so no chunk address wraps around.
bool AreaFits(std::uint32_t address, std::size_t length) {
    return length <= kFlashAddressSpace &&
           std::uint64_t{address} + TransferLength(length) <= kFlashAddressSpace;
}

// Reads the whole transfer buffer chunk by chunk; stops at the first failed read.
bool ReadChunks(const os::Platform& p, const DevicePath& path, std::uint32_t address,
                std::span<std::uint8_t> transfer) {
    const auto total = static_cast<std::uint32_t>(transfer.size());
    for (std::uint32_t done = 0; done < total;) {
        const std::uint32_t chunk = std::min(total - done, TransferChunk);
        WaitFlashReady(p, path);
        if (!ReadFlashBlock(p, path, address + done, transfer.subspan(done, chunk))) {
            return false;
        }
        done += chunk;
    }
    return true;
}

bool WriteChunks(const os::Platform& p, const DevicePath& path, std::uint32_t address,
                 std::span<const std::uint8_t> transfer, EraseMode mode, FlashType type) {
    const auto total = static_cast<std::uint32_t>(transfer.size());
    std::uint32_t boundaryCounter = 0;
    for (std::uint32_t done = 0; done < total;) {
        const std::uint32_t chunkAddress = address + done;
        std::uint32_t chunk = std::min(total - done, TransferChunk);
        if (chunkAddress == 0) {
            chunk = std::min(chunk, kFirstChunkLimit);
        }
        std::uint8_t eraseType = SelectEraseType(chunkAddress, chunk, mode, boundaryCounter, type);
        if (chunkAddress == 0 && type == kMxicFlashType && eraseType != kNoErase) {
            eraseType |= kMxicFirstChunkBit;
        }
        WaitFlashReady(p, path);
        if (!WriteFlashBlock(p, path, chunkAddress, transfer.subspan(done, chunk), eraseType)) {
            return false;
        }
        done += chunk;
    }
    return true;
}

bool ReadArea(const os::Platform& p, const DevicePath& path, std::uint32_t address,
              std::span<std::uint8_t> destination) {
    if (destination.empty()) {
        return false;
    }
    if (!AreaFits(address, destination.size())) {
        std::ranges::fill(destination, 0);
        return false;
    }
    std::vector<std::uint8_t> transfer(TransferLength(destination.size()), 0);
    const bool complete = ReadChunks(p, path, address, transfer);
    std::copy_n(transfer.begin(), destination.size(), destination.begin());
    return complete;
}

bool WriteArea(const os::Platform& p, const DevicePath& path, std::uint32_t address,
               std::span<const std::uint8_t> source, EraseMode mode, FlashType type) {
    if (source.empty() || !AreaFits(address, source.size())) {
        return false;
    }
    std::vector<std::uint8_t> transfer(TransferLength(source.size()), 0);
    std::copy(source.begin(), source.end(), transfer.begin());
    return WriteChunks(p, path, address, transfer, mode, type);
}

}  // namespace

bool ReadFlashArea(const os::Platform& p, const DevicePath& path, std::uint32_t address,
                   std::span<std::uint8_t> destination) {
    try {
        return ReadArea(p, path, address, destination);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool WriteFlashArea(const os::Platform& p, const DevicePath& path, std::uint32_t address,
                    std::span<const std::uint8_t> source, EraseMode mode, FlashType type) {
    try {
        return WriteArea(p, path, address, source, mode, type);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

}  // namespace kxt::device
