#include "device/KXT850ImageCheck.h"

#include <algorithm>
#include <cstdio>

#include "device/FirmwareCatalogue.h"
#include "device/KXT850Image.h"
#include "device/KXT850Layout.h"

namespace kxt::device {
namespace {

using namespace kxt850;

std::string Hex(std::size_t value, int digits) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%0*zX", digits, value);
    return text;
}

}  // namespace

KXT850ImageReport InspectKXT850Image(std::span<const std::uint8_t> image) {
    KXT850ImageReport report;
    report.size = image.size();
    if (image.size() < kEmbeddedImageMinSize)
        report.problems.push_back(ImageProblem::TooSmall);
    if (image.size() > kFlashImageSize)
        report.problems.push_back(ImageProblem::TooLarge);

    if (image.size() >= kModelTagOffset + kModelTagLength) {
        report.hasMarker =
            std::ranges::equal(image.subspan(kMarkerOffset, kMarker.size()), kMarker);
        std::array<std::uint8_t, kModelTagLength> tag{};
        std::ranges::copy(image.subspan(kModelTagOffset, kModelTagLength), tag.begin());
        report.modelTag = tag;
        if (!*report.hasMarker)
            report.problems.push_back(ImageProblem::NoMarker);
    }
    if (image.size() >= kCodeAreaSize) {
        report.storedChecksum = StoredKXT850Checksum(image);
        report.computedChecksum = ComputeKXT850Checksum(image);
        if (report.storedChecksum != report.computedChecksum) {
            report.problems.push_back(ImageProblem::ChecksumMismatch);
        }
    }
    if (image.size() >= kConfigBlockEnd) {
        report.hasConfigSignature =
            HasConfigSignature(image.subspan(kConfigBlockOffset, kConfigBlockSize));
        if (!*report.hasConfigSignature)
            report.problems.push_back(ImageProblem::NoConfigSignature);
    }
    return report;
}

std::string DescribeProblem(ImageProblem problem, const KXT850ImageReport& report) {
    switch (problem) {
        case ImageProblem::TooSmall:
            return "size " + std::to_string(report.size) + " bytes is below " +
                   std::to_string(kEmbeddedImageMinSize) + " (" + Hex(kEmbeddedImageMinSize, 4) +
                   "): no room for the code area and the configuration block";
        case ImageProblem::TooLarge:
            return "size " + std::to_string(report.size) + " bytes exceeds the " +
                   std::to_string(kFlashImageSize) + "-byte flash";
        case ImageProblem::NoMarker:
            return "marker 55 AA AA 55 missing at " + Hex(kMarkerOffset, 4);
        case ImageProblem::NoConfigSignature:
            return "configuration block at " + Hex(kConfigBlockOffset, 4) +
                   " does not end in \"KX\" (bytes " + Hex(kConfigBlockEnd - 2, 4) + "-" +
                   Hex(kConfigBlockEnd - 1, 4) + ")";
        case ImageProblem::ChecksumMismatch:
            return "stored checksum " + Hex(report.storedChecksum.value_or(0), 4) +
                   " differs from computed " + Hex(report.computedChecksum.value_or(0), 4);
    }
    return "unknown problem";
}

}  // namespace kxt::device
