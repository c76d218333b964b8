// Makes the stand-in for the KXT850 image "FW6701": the vendor's image is not ours
// to ship, so the repository carries one with the same layout and checksum.
//
//   kxt_make_standin OUTPUT.bin
//
// The code area and the default configuration block are pseudo-random, so that a
// fault that copies the wrong range or the wrong order cannot hide in zeros. The
// output is the same on every machine: std::mt19937's sequence is fixed by the
// language standard.

#include <algorithm>
#include <array>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <random>
#include <span>
#include <vector>

#include "device/ImageChecksum.h"
#include "device/KXT850Image.h"
#include "device/KXT850ImageCheck.h"
#include "device/KXT850Layout.h"

namespace {

using namespace kxt::device::kxt850;

constexpr std::uint32_t kSeed = 6701;
constexpr std::uint16_t kCarriedChecksum = 0x9B65;  // the vendor image's checksum
constexpr std::array<std::uint8_t, 4> kModelTag{'8', '5', '0', '1'};

// The last word of the code before the marker takes the filler that makes the
// checksum come out right. Its low two bytes are searched; the checksum is linear,
// so exactly one of their 65,536 values hits any target.
constexpr std::size_t kFillerOffset = kMarkerOffset - 4;

std::vector<std::uint8_t> PseudoRandomLayout() {
    std::mt19937 generator(kSeed);
    const auto next = [&generator] { return static_cast<std::uint8_t>(generator() & 0xFFU); };
    std::vector<std::uint8_t> image(kEmbeddedImageMinSize, 0);
    std::generate_n(image.begin(), kMarkerOffset, next);
    std::ranges::copy(kMarker, image.begin() + kMarkerOffset);
    std::ranges::copy(kModelTag, image.begin() + kModelTagOffset);
    // 0xBFF8-0xBFFD stay zero; the checksum follows at 0xBFFE.
    std::generate_n(image.begin() + kConfigBlockOffset, kConfigBlockSize - 2, next);
    image[kConfigBlockEnd - 2] = 'K';
    image[kConfigBlockEnd - 1] = 'X';
    return image;
}

// Writes the filler that makes the checksum `target`; false when none does.
bool PlaceFiller(std::span<std::uint8_t> image, std::uint16_t target) {
    const std::uint16_t prefix = kxt::device::ImageChecksum(image.first(kFillerOffset), 0);
    const auto tail = image.subspan(kFillerOffset, kChecksummedLength - kFillerOffset);
    for (std::uint32_t filler = 0; filler <= 0xFFFF; ++filler) {
        tail[0] = static_cast<std::uint8_t>(filler);
        tail[1] = static_cast<std::uint8_t>(filler >> 8U);
        if (kxt::device::ImageChecksum(tail, prefix) == target) {
            return true;
        }
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: kxt_make_standin OUTPUT.bin\n";
        return 2;
    }
    std::vector<std::uint8_t> image = PseudoRandomLayout();
    if (!PlaceFiller(image, kCarriedChecksum)) {
        std::cerr << "kxt_make_standin: no filler gives checksum 0x9B65\n";
        return 1;
    }
    kxt::device::SignKXT850Image(image);
    const auto report = kxt::device::InspectKXT850Image(image);
    for (const auto problem : report.problems) {
        std::cerr << "kxt_make_standin: " << kxt::device::DescribeProblem(problem, report) << '\n';
    }
    if (!report.Sound())
        return 1;

    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(image.data()),
              static_cast<std::streamsize>(image.size()));
    if (!out.flush()) {
        std::cerr << "kxt_make_standin: cannot write " << argv[1] << '\n';
        return 1;
    }
    return 0;
}
