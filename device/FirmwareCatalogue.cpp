#include "device/FirmwareCatalogue.h"

#include <algorithm>
#include <cstdio>

#include "device/FirmwareIdentity.h"
#include "device/VendorCommands.h"

namespace kxt::device {
namespace {

// KXT861 images are named after the short version's major number; 18 is the only
// major with a minor in the name.
constexpr std::uint8_t kKXT861MajorWithMinor = 0x12;

constexpr std::string_view kKXT850DefaultName = "FW6701";
constexpr std::string_view kKXT861MajorWithMinorDefaultName = "FW1802";
constexpr std::string_view kKXT861DefaultName = "FW0255";

std::string ResourceName(unsigned first, unsigned second) {
    char name[80];
    std::snprintf(name, sizeof name, "FW%.2u%.2u", first, second);
    return name;
}

bool IsEmbedded(const os::Platform& p, ImageFamily family, std::string_view name) {
    return p.firmware.Find(ResourceType(family), name).has_value();
}

}  // namespace

std::string_view ResourceType(ImageFamily family) {
    return family == ImageFamily::KXT850 ? "KXT850" : "KXT861";
}

std::string SelectFirmwareResource(const os::Platform& p, const os::DevicePath& path,
                                   ImageFamily family) {
    FirmwareIdentity identity;
    std::int32_t transferred = 0;
    if (!ReadFirmwareIdentity(p, path, identity.bytes, transferred) || !identity.HasSignature()) {
        return {};
    }
    const auto& record = identity.bytes;
    if (family == ImageFamily::KXT850) {
        std::string name = ResourceName(record[12], record[13]);
        return IsEmbedded(p, family, name) ? name : std::string(kKXT850DefaultName);
    }
    const bool majorWithMinor = record[6] == kKXT861MajorWithMinor;
    std::string name = ResourceName(record[6], majorWithMinor ? record[12] : 0U);
    if (IsEmbedded(p, family, name)) {
        return name;
    }
    return std::string(majorWithMinor ? kKXT861MajorWithMinorDefaultName : kKXT861DefaultName);
}

std::size_t CopyFirmwareSlice(const os::Platform& p, const os::DevicePath& path,
                              std::span<std::uint8_t> destination, std::size_t sourceOffset,
                              std::size_t length, ImageFamily family) {
    const std::string name = SelectFirmwareResource(p, path, family);
    if (name.empty()) {
        return 0;
    }
    const auto image = p.firmware.Find(ResourceType(family), name);
    if (!image) {
        return 0;
    }
    const std::size_t size = image->size();
    const std::size_t offset = std::min(sourceOffset, size);
    const std::size_t rest = size - offset;
    const std::size_t count =
        std::min({length == 0 ? rest : std::min(length, rest), destination.size()});
    std::copy_n(image->begin() + static_cast<std::ptrdiff_t>(offset), count, destination.begin());
    return size;
}

bool HasConfigSignature(std::span<const std::uint8_t> block) {
    return block.size() >= 2 && block[block.size() - 2] == 'K' && block[block.size() - 1] == 'X';
}

}  // namespace kxt::device
