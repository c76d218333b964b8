#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

// What a KXT850 image file or embedded image holds, and what is wrong with it: the
// build refuses to embed a broken image, and `kxtfw inspect` shows the same findings.
namespace kxt::device {

enum class ImageProblem {
    TooSmall,           // cannot hold the code area and the configuration block
    TooLarge,           // larger than the flash
    NoMarker,           // 55 AA AA 55 missing at 0xBFF0
    NoConfigSignature,  // the block at 0xC000 does not end in "KX"
    ChecksumMismatch,   // stored checksum differs from the computed one
};

struct KXT850ImageReport {
    std::size_t size = 0;
    // Each finding is present only when the image is long enough to hold it.
    std::optional<bool> hasMarker;
    std::optional<std::array<std::uint8_t, 4>> modelTag;
    std::optional<std::uint16_t> storedChecksum;
    std::optional<std::uint16_t> computedChecksum;
    std::optional<bool> hasConfigSignature;
    std::vector<ImageProblem> problems;

    bool Sound() const { return problems.empty(); }
};

KXT850ImageReport InspectKXT850Image(std::span<const std::uint8_t> image);

// One line naming the problem with its numbers, e.g. "stored checksum 0x1234
// differs from computed 0x9B65".
std::string DescribeProblem(ImageProblem problem, const KXT850ImageReport& report);

}  // namespace kxt::device
