#include "device/ChipIdentification.h"

#include <algorithm>
#include <optional>
#include <string>

#include "device/ChipCapabilities.h"
#include "device/FirmwareIdentity.h"

namespace kxt::device {
namespace {

using enum ChipClass;

// The three model digits of the identity record; the INQUIRY chip code is the
// same digits after a "k".
struct ModelCode {
    std::string_view digits;
    ChipClass chipClass;
};
constexpr std::array<ModelCode, 13> kModelCodes{{
    {"712", ChipKX40712},
    {"714", ChipKX40714},
    {"716", ChipKX40716},
    {"719", ChipKX40719},
    {"708", ChipKX40708},
    {"741", ChipKXR741},
    {"743", ChipKXR743},
    {"745", ChipKXR745},
    {"746", ChipKXR746},
    {"861", ChipKXT861},
    {"827", ChipKXR827},
    {"825", ChipKXR825},
    {"850", ChipKXT850},
}};
constexpr char kInquiryCodePrefix = 'k';

constexpr std::size_t kInquiryLength = 40;
constexpr std::size_t kInquiryCodeOffset = 36;
constexpr std::size_t kInquiryCodeLength = 4;

// Chips without an identity record name their model in bits 5-6 of the older
// chip id, counted from ChipKX40716Reg.
constexpr unsigned kLegacyModelShift = 5;
constexpr unsigned kLegacyModelMask = 0x03;

// The KX40714 variant that is known by its USB ids rather than its model digits.
constexpr std::uint16_t kUsbVariantVendorId = 0x4F7A;
constexpr std::uint16_t kUsbVariantProductId = 0x6A14;

constexpr std::uint8_t kDigitZero = '0';

// Chip information: a model text in bytes 0-4 and a revision character in byte 5,
// where '0' stands for revision 1.
constexpr std::size_t kChipInfoLength = 40;
constexpr std::size_t kChipInfoRevisionOffset = 5;
constexpr std::uint8_t kChipInfoRevisionBase = '0' - 1;

struct ChipInfoModel {
    std::string_view prefix;
    ChipClass chipClass;
};
constexpr std::array<ChipInfoModel, 3> kChipInfoModels{{
    {"k712C", ChipKX40712},
    {"k719C", ChipKX40719},
    {"k827A", ChipKXR827},
}};
// The NVRAM family reports "k741" plus a character of its own; a zero revision
// byte means the first revision.
constexpr std::string_view kNvramFamilyPrefix = "k741";

// The classes whose revision (or class) the chip information refines.
constexpr std::array<ChipClass, 6> kRefinedByChipInfo{ChipUnknown, ChipKX40712, ChipKX40716,
                                                      ChipKX40719, ChipKXR741,  ChipKXR827};

// A KXR743 tells its revision by the digit of its identity record.
constexpr std::size_t kKxr743IdentityLength = 12;
constexpr std::uint8_t kKxr743FirstRevision = '1';
constexpr std::uint8_t kKxr743SecondRevision = '2';
constexpr std::uint8_t kKxt861LateRevision = 9;

constexpr std::string_view kChipInfoFailureText = "Get chip information fail !";
constexpr std::string_view kErrorCaption = "Error";

struct Identification {
    ChipClass chipClass = ChipUnknown;
    std::uint8_t revision = 0;
};

bool StartsWith(std::span<const std::uint8_t> bytes, std::string_view text) {
    return bytes.size() >= text.size() &&
           std::equal(text.begin(), text.end(), bytes.begin(), [](char c, std::uint8_t byte) {
               return static_cast<std::uint8_t>(c) == byte;
           });
}

ChipClass ClassOfModel(std::string_view digits) {
    for (const ModelCode& model : kModelCodes) {
        if (digits == model.digits) {
            return model.chipClass;
        }
    }
    return ChipUnknown;
}

std::optional<ChipClass> ClassOfInquiryCode(std::string_view code) {
    if (code.size() != kInquiryCodeLength || code[0] != kInquiryCodePrefix) {
        return std::nullopt;
    }
    const ChipClass chipClass = ClassOfModel(code.substr(1));
    return chipClass == ChipUnknown ? std::nullopt : std::optional(chipClass);
}

ChipClass LegacyClass(std::uint8_t chipIdByte) {
    const unsigned model = (chipIdByte >> kLegacyModelShift) & kLegacyModelMask;
    return static_cast<ChipClass>(static_cast<unsigned>(ChipKX40716Reg) + model);
}

// Stage 1: the INQUIRY chip code, else the identity record, else the older chip id.
Identification IdentifyClass(const os::Platform& p, const DevicePath& path) {
    std::array<std::uint8_t, kInquiryLength> inquiry{};
    if (!Inquiry(p, path, inquiry)) {
        return {};
    }
    const auto codeStart = inquiry.begin() + kInquiryCodeOffset;
    const std::string code(codeStart, codeStart + kInquiryCodeLength);
    if (const auto chipClass = ClassOfInquiryCode(code)) {
        return {*chipClass, 0};
    }
    // A USB disk of another make may complete the request with a CHECK CONDITION
    // and no data; a chip id that never arrived names no chip.
    std::array<std::uint8_t, 2> legacyChipId{};
    std::int32_t legacyLength = 0;
    if (!ReadLegacyChipId(p, path, legacyChipId, legacyLength) || legacyLength <= 0) {
        return {};
    }
    FirmwareIdentity record;
    std::int32_t transferred = 0;
    if (!ReadFirmwareIdentity(p, path, record.bytes, transferred)) {
        return {};
    }
    if (!record.HasSignature()) {
        return {LegacyClass(legacyChipId[0]), 0};
    }
    if (record.VendorId() == kUsbVariantVendorId && record.ProductId() == kUsbVariantProductId) {
        return {ChipKX40714Usb, 0};
    }
    return {ClassOfModel(record.Model()),
            static_cast<std::uint8_t>(record.RevisionDigit() - kDigitZero)};
}

void RefineByChipInfo(const os::Platform& p, const DevicePath& path, Identification& found) {
    std::array<std::uint8_t, kChipInfoLength> info{};
    if (!ReadChipInfo(p, path, info)) {
        if (found.chipClass == ChipKX40712) {
            found.revision = 1;
        }
        return;
    }
    const std::uint8_t revisionByte = info[kChipInfoRevisionOffset];
    const auto revision = static_cast<std::uint8_t>(revisionByte - kChipInfoRevisionBase);
    for (const ChipInfoModel& model : kChipInfoModels) {
        if (StartsWith(info, model.prefix)) {
            found = {model.chipClass, revision};
            return;
        }
    }
    if (StartsWith(info, kNvramFamilyPrefix)) {
        found = {ChipKXR741, revisionByte == 0 ? std::uint8_t{1} : revision};
    }
}

void ReadKxr743Revision(const os::Platform& p, const DevicePath& path, Identification& found) {
    FirmwareIdentity record;
    std::int32_t transferred = 0;
    const bool read =
        ReadFirmwareIdentity(p, path, std::span(record.bytes).first(kKxr743IdentityLength),
                             transferred) &&
        record.HasSignature();
    if (read && record.RevisionDigit() == kKxr743FirstRevision) {
        found.revision = 1;
        return;
    }
    if (read && record.RevisionDigit() == kKxr743SecondRevision) {
        found.revision = 2;
        return;
    }
    p.ui.ShowMessage(kChipInfoFailureText, kErrorCaption, os::MessageIcon::Error);
}

// Stage 2: what some classes need to know beyond stage 1.
void RefineIdentification(const os::Platform& p, const DevicePath& path, Identification& found) {
    if (std::ranges::find(kRefinedByChipInfo, found.chipClass) != kRefinedByChipInfo.end()) {
        RefineByChipInfo(p, path, found);
        return;
    }
    if (found.chipClass == ChipKXR743) {
        ReadKxr743Revision(p, path, found);
        return;
    }
    if (found.chipClass == ChipKXT861 && IsLateRevision(p, path)) {
        found.revision = kKxt861LateRevision;
    }
}

}  // namespace

std::string_view ChipName(ChipClass chipClass) {
    const auto index = static_cast<std::size_t>(chipClass);
    return index < ChipNames.size() ? ChipNames[index] : ChipNames[0];
}

ChipIdentity IdentifyChip(const os::Platform& p, const DevicePath& path) {
    Identification found = IdentifyClass(p, path);
    RefineIdentification(p, path, found);
    return MakeChipIdentity(found.chipClass, found.revision);
}

}  // namespace kxt::device
