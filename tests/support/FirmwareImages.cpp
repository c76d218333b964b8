#include "tests/support/FirmwareImages.h"

#include <random>

#include "device/KXT850Image.h"

namespace kxt::testing {
namespace {

std::vector<std::uint8_t> RandomBytes(std::uint32_t seed, std::size_t size) {
    std::mt19937 generator(seed);
    std::vector<std::uint8_t> bytes(size);
    for (auto& byte : bytes) byte = static_cast<std::uint8_t>(generator());
    return bytes;
}

}  // namespace

std::vector<std::uint8_t> MakeKXT850Image(std::uint32_t seed) {
    std::vector<std::uint8_t> image = RandomBytes(seed, 0xC100);
    const std::uint8_t marker[] = {0x55, 0xAA, 0xAA, 0x55, '8', '5', '0', '1'};
    std::copy(std::begin(marker), std::end(marker), image.begin() + 0xBFF0);
    std::fill(image.begin() + 0xBFF8, image.begin() + 0xBFFE, 0);
    image[0xC0FE] = 'K';
    image[0xC0FF] = 'X';
    device::SignKXT850Image(image);
    return image;
}

std::vector<std::uint8_t> MakeKXT861Image(std::uint32_t seed, std::size_t size) {
    std::vector<std::uint8_t> image = RandomBytes(seed, size);
    image[126] = 'K';
    image[127] = 'X';
    return image;
}

}  // namespace kxt::testing
