#include "emulator/NorFlash.h"

#include <algorithm>

namespace kxt::emulator {

void NorFlash::Read(std::uint32_t address, std::span<std::uint8_t> out) const {
    if (bytes_.empty()) {
        std::fill(out.begin(), out.end(), 0xFF);
        return;
    }
    for (std::size_t i = 0; i < out.size(); ++i) {
        out[i] = bytes_[(address + i) % bytes_.size()];
    }
}

void NorFlash::Program(std::uint32_t address, std::span<const std::uint8_t> data) {
    if (bytes_.empty()) {
        return;
    }
    for (std::size_t i = 0; i < data.size(); ++i) {
        bytes_[(address + i) % bytes_.size()] &= data[i];
    }
}

void NorFlash::EraseUnit(std::uint32_t address, std::uint32_t unitSize) {
    if (bytes_.empty() || unitSize == 0) {
        return;
    }
    const std::size_t start = (address % bytes_.size()) / unitSize * unitSize;
    const std::size_t end = std::min(bytes_.size(), start + unitSize);
    std::fill(bytes_.begin() + static_cast<std::ptrdiff_t>(start),
              bytes_.begin() + static_cast<std::ptrdiff_t>(end), 0xFF);
}

void NorFlash::EraseRange(std::uint32_t start, std::uint32_t length) {
    if (bytes_.empty()) {
        return;
    }
    const std::size_t from = start % bytes_.size();
    const std::size_t end = std::min<std::size_t>(bytes_.size(), from + length);
    std::fill(bytes_.begin() + static_cast<std::ptrdiff_t>(from),
              bytes_.begin() + static_cast<std::ptrdiff_t>(end), 0xFF);
}

void NorFlash::EraseAll() {
    std::fill(bytes_.begin(), bytes_.end(), 0xFF);
}

}  // namespace kxt::emulator
