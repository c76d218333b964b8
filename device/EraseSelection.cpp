#include "device/EraseSelection.h"

namespace kxt::device {
namespace {

std::uint8_t SelectBlockErase(std::uint32_t block, std::uint32_t address, std::uint32_t& chunk,
                              EraseMode mode, std::uint32_t& boundaryCounter) {
    std::uint8_t eraseType = kNoErase;
    std::uint64_t boundary = std::uint64_t{block} * boundaryCounter;
    if (boundary <= address) {
        // The chunk opens an erase block. The counter moves to the block that holds
        // the address: for an area that starts at 0 that is one more, and an area
        // that starts further up neither erases one block twice nor gets a boundary
        // below its chunk.
        boundaryCounter = address / block + 1;
        boundary = std::uint64_t{block} * boundaryCounter;
        eraseType = mode;
    }
    if (std::uint64_t{address} + chunk >= boundary) {
        chunk = static_cast<std::uint32_t>(boundary - address);
    }
    return eraseType;
}

}  // namespace

std::uint8_t SelectEraseType(std::uint32_t address, std::uint32_t& chunk, EraseMode mode,
                             std::uint32_t& boundaryCounter, FlashType type) {
    const FlashType row = type <= kMaxFlashType ? type : kUnknownFlashType;
    switch (mode) {
        case 2:
        case 5:
            return SelectBlockErase(LargeEraseBlock[row], address, chunk, mode, boundaryCounter);
        case 1:
        case 4:
            return SelectBlockErase(SmallEraseBlock[row], address, chunk, mode, boundaryCounter);
        case 3:
        case 6:
        case 7:
            return address == 0 ? mode : kNoErase;
        default:
            return kNoErase;
    }
}

}  // namespace kxt::device
