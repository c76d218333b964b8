#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace kxt::emulator {

// A NOR flash array: erasing sets bytes to 0xFF, programming can only clear bits,
// so writing over unerased data leaves the AND of old and new. Addresses wrap at
// the end of the array, as a serial flash's address counter does.
class NorFlash {
public:
    explicit NorFlash(std::size_t size, std::uint8_t fill = 0xFF) : bytes_(size, fill) {}

    std::size_t Size() const { return bytes_.size(); }
    void Read(std::uint32_t address, std::span<std::uint8_t> out) const;
    void Program(std::uint32_t address, std::span<const std::uint8_t> data);
    // Erases the unit of `unitSize` bytes that holds `address`.
    void EraseUnit(std::uint32_t address, std::uint32_t unitSize);
    // Erases `length` bytes from `start` (wrapped like any address), for sectors
    // that are not aligned to their size (boot-sector layouts); stops at the end of
    // the array.
    void EraseRange(std::uint32_t start, std::uint32_t length);
    void EraseAll();

    std::span<std::uint8_t> Bytes() { return bytes_; }
    std::span<const std::uint8_t> Bytes() const { return bytes_; }

private:
    std::vector<std::uint8_t> bytes_;
};

}  // namespace kxt::emulator
