#include "device/ChipIdentification.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/TestPlatform.h"

namespace kxt::device {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

struct IdentificationCase {
    std::string name;
    std::string device;  // one scenario device entry
    unsigned chipClass;
    unsigned revision;
    std::vector<std::string> commands;  // what the device receives, in order
    int failureBoxes = 0;
};

void PrintTo(const IdentificationCase& c, std::ostream* out) {
    *out << c.name;
}

std::vector<std::string> CommandNames(const emulator::CommandLog& log) {
    std::vector<std::string> names;
    for (const auto& command : log) names.push_back(command.name);
    return names;
}

const std::vector<std::string> kInquiryOnly{"Inquiry"};
const std::vector<std::string> kStageOne{"Inquiry", "ReadLegacyChipId", "ReadFirmwareIdentity"};
const std::vector<std::string> kStageOneThenChipInfo{"Inquiry", "ReadLegacyChipId",
                                                     "ReadFirmwareIdentity", "ReadChipInfo"};
const std::vector<std::string> kCodeThenChipInfo{"Inquiry", "ReadChipInfo"};
const std::vector<std::string> kCodeThenIdentity{"Inquiry", "ReadFirmwareIdentity"};
const std::vector<std::string> kCodeThenXdata{"Inquiry", "ReadXdata"};

// A record that is not an identity record (no F4 E7 signature).
const std::string kUnsigned =
    R"("identity": {"hex": "12 34 4B 58 08 50 01 00 38 35 30 30 00 00 00 00"})";

// clang-format off
const IdentificationCase kCases[] = {
    // The chip code in INQUIRY bytes 36-39.
    {"CodeK850SendsNothingMore", R"({"chip": "kxt850"})", 13, 0, kInquiryOnly},
    {"CodeK708", R"({"chip": "kx40708"})", 5, 0, kInquiryOnly},
    {"CodeK746", R"({"chip": "kxr746"})", 9, 0, kInquiryOnly},
    {"CodeK825", R"({"chip": "kxr825"})", 12, 0, kInquiryOnly},
    {"CodeOfUnrefinedClassIgnoresChipInfo", R"({"inquiryChipCode": "k745", "chipInfo": "k712C1\u0000\u0000"})", 8, 0, kInquiryOnly},
    {"CodeIsCaseSensitive",
     R"({"inquiryChipCode": "K850", "legacyChipId": "00 00", "identity": {"model": "861", "revision": "0"}})",
     10, 0, {"Inquiry", "ReadLegacyChipId", "ReadFirmwareIdentity", "ReadXdata"}},

    // The KXT861's late silicon: byte 1 of internal memory 0xFDB0.
    {"K861Early", R"({"chip": "kxt861"})", 10, 0, kCodeThenXdata},
    {"K861LateAtB4", R"({"chip": "kxt861", "xdata": {"0xFDB0": "00 B4"}})", 10, 9, kCodeThenXdata},
    {"K861BelowB4", R"({"chip": "kxt861", "xdata": {"0xFDB0": "FF B3"}})", 10, 0, kCodeThenXdata},
    {"K861LateByteIsTheSecond", R"({"chip": "kxt861", "xdata": {"0xFDB0": "B4 00"}})", 10, 0, kCodeThenXdata},

    // The identity record: model digits and revision digit.
    {"RecordModel850Revision2", R"({"legacyChipId": "00 00", "identity": {"model": "850", "revision": "2"}})", 13, 2, kStageOne},
    {"RecordModel714", R"({"chip": "kx40714"})", 2, 0, kStageOne},
    {"RecordModel745", R"({"chip": "kxr745"})", 8, 0, kStageOne},
    {"RecordRevisionDigitBelowZeroWraps", R"({"legacyChipId": "00 00", "identity": {"model": "850", "revision": "/"}})", 13, 0xFF, kStageOne},
    {"RecordUnknownModelKeepsRevisionAndAsksChipInfo",
     R"({"legacyChipId": "00 00", "identity": {"model": "999", "revision": "4"}})", 0, 4, kStageOneThenChipInfo},
    {"RecordModel716WithoutChipInfo", R"({"chip": "kx40716"})", 3, 1, kStageOneThenChipInfo},

    // The USB ids 4F7A:6A14 win over the model digits.
    {"UsbIdsGiveClass18", R"({"chip": "kx40714-usb"})", 18, 0, kStageOne},
    {"UsbIdsWhateverTheModel",
     R"({"legacyChipId": "00 00", "identity": {"vendorId": "0x4F7A", "productId": "0x6A14", "model": "850", "revision": "3"}})",
     18, 0, kStageOne},
    {"UsbIdsNeedBoth",
     R"({"legacyChipId": "00 00", "identity": {"vendorId": "0x4F7A", "productId": "0x6A15", "model": "850", "revision": "3"}})",
     13, 3, kStageOne},

    // No identity record: bits 5-6 of the older chip id.
    {"LegacyBits0", R"({"chip": "kx40716-reg"})", 14, 0, kStageOne},
    {"LegacyBits1", R"({"chip": "kx40718-reg"})", 15, 0, kStageOne},
    {"LegacyBits2", R"({"chip": "kx40719-reg"})", 16, 0, kStageOne},
    {"LegacyBits3", R"({"chip": "kx40712-reg"})", 17, 0, kStageOne},
    {"LegacyOtherBitsIgnored", R"({"legacyChipId": "9F FF", )" + kUnsigned + "}", 14, 0, kStageOne},
    {"LegacyHighBitIgnored", R"({"legacyChipId": "E0 00", )" + kUnsigned + "}", 17, 0, kStageOne},

    // Chip information refines classes 0, 1, 3, 4, 6 and 11.
    {"ChipInfoK712CRevision", R"({"chip": "kx40712"})", 1, 2, kCodeThenChipInfo},
    {"ChipInfoMissingGivesK712Revision1", R"({"inquiryChipCode": "k712"})", 1, 1, kCodeThenChipInfo},
    {"ChipInfoMissingLeavesOtherClasses", R"({"inquiryChipCode": "k716"})", 3, 0, kCodeThenChipInfo},
    {"ChipInfoAloneNamesK719", R"({"chip": "kx40719"})", 4, 1, {"Inquiry", "ReadLegacyChipId", "ReadChipInfo"}},
    {"ChipInfoK827ARevision", R"({"chip": "kxr827"})", 11, 2, kStageOneThenChipInfo},
    {"ChipInfoK741ZeroRevisionByte", R"({"chip": "kxr741"})", 6, 1, kCodeThenChipInfo},
    {"ChipInfoK741RevisionCharacter", R"({"inquiryChipCode": "k741", "chipInfo": "k741X2\u0000\u0000"})", 6, 3, kCodeThenChipInfo},
    {"ChipInfoTextDecidesTheClass", R"({"inquiryChipCode": "k741", "chipInfo": "k712C0\u0000\u0000"})", 1, 1, kCodeThenChipInfo},
    {"ChipInfoUnknownTextChangesNothing", R"({"inquiryChipCode": "k716", "chipInfo": "k999C5\u0000\u0000"})", 3, 0, kCodeThenChipInfo},

    // The KXR743 reads its revision digit from a 12-byte identity record.
    {"K743Revision1", R"({"chip": "kxr743"})", 7, 1, kCodeThenIdentity},
    {"K743Revision2", R"({"inquiryChipCode": "k743", "identity": {"model": "743", "revision": "2"}})", 7, 2, kCodeThenIdentity},
    {"K743BadDigitShowsBoxOnce", R"({"inquiryChipCode": "k743", "identity": {"model": "743", "revision": "3"}})", 7, 0, kCodeThenIdentity, 1},
    {"K743NoSignatureShowsBox", R"({"inquiryChipCode": "k743", )" + kUnsigned + "}", 7, 0, kCodeThenIdentity, 1},
    {"K743NoRecordShowsBox", R"({"inquiryChipCode": "k743"})", 7, 0, kCodeThenIdentity, 1},

    // Devices that are not bridges of this maker.
    {"ForeignDiskIsUnknown", R"({"chip": "foreign"})", 0, 0, {"Inquiry", "ReadLegacyChipId", "ReadChipInfo"}},
    // One that completes every vendor command without data (a CHECK CONDITION) is no bridge.
    {"ForeignDiskRejectingCommands", R"({"chip": "foreign", "unknownCommands": "reject"})", 0, 0, {"Inquiry", "ReadLegacyChipId", "ReadChipInfo"}},
    {"InquiryFailureSkipsToChipInfo",
     R"({"chip": "kxt850", "faults": [{"command": "Inquiry"}]})", 0, 0, kCodeThenChipInfo},
    {"IdentityFailureIsUnknown",
     R"({"chip": "kx40714", "faults": [{"command": "ReadFirmwareIdentity"}]})", 0, 0, kStageOneThenChipInfo},
};
// clang-format on

class IdentifyChipCase : public ::testing::TestWithParam<IdentificationCase> {};

TEST_P(IdentifyChipCase, GivesClassAndRevisionWithTheExpectedRequests) {
    const IdentificationCase& c = GetParam();
    testing::EmulatedPlatform emu;
    const os::DevicePath path = emu.AddDevice(c.device);

    const ChipIdentity identity = IdentifyChip(emu.platform, path);

    EXPECT_EQ(identity, c.chipClass + 256 * c.revision);
    EXPECT_THAT(CommandNames(emu.bus.Log()), ElementsAreArray(c.commands));
    EXPECT_EQ(emu.ui.messages.size(), static_cast<std::size_t>(c.failureBoxes));
}

INSTANTIATE_TEST_SUITE_P(Cases, IdentifyChipCase, ::testing::ValuesIn(kCases),
                         [](const auto& test) { return test.param.name; });

TEST(IdentifyChip, FailureBoxIsTheErrorBoxWithItsText) {
    testing::EmulatedPlatform emu;
    const os::DevicePath path = emu.AddDevice(
        R"({"inquiryChipCode": "k743", "identity": {"model": "743", "revision": "3"}})");

    IdentifyChip(emu.platform, path);

    ASSERT_EQ(emu.ui.messages.size(), 1U);
    EXPECT_EQ(emu.ui.messages[0].text, "Get chip information fail !");
    EXPECT_EQ(emu.ui.messages[0].caption, "Error");
    EXPECT_EQ(emu.ui.messages[0].icon, os::MessageIcon::Error);
}

TEST(IdentifyChip, RequestsTheLengthsOfEachStage) {
    testing::EmulatedPlatform emu;
    const os::DevicePath unknown = emu.AddDevice(
        R"({"id": "unknown", "legacyChipId": "00 00", "identity": {"model": "999", "revision": "0"}})");
    const os::DevicePath kxr743 = emu.AddDevice(R"({"id": "kxr743", "chip": "kxr743"})");

    IdentifyChip(emu.platform, unknown);
    IdentifyChip(emu.platform, kxr743);

    std::vector<std::uint32_t> lengths;
    for (const auto& command : emu.bus.Log()) lengths.push_back(command.length);
    // INQUIRY 40, chip id 2, identity 16, chip information 40; then INQUIRY 40 and
    // the KXR743's 12-byte identity.
    EXPECT_THAT(lengths, ElementsAre(40, 2, 16, 40, 40, 12));
}

// Counts opens, since an open that fails never reaches the emulated device's log.
class CountingPassThrough final : public os::ScsiPassThrough {
  public:
    explicit CountingPassThrough(os::ScsiPassThrough& inner) : inner_(inner) {}
    os::OpenResult Open(const os::DevicePath& path, os::ShareMode mode) override {
        ++opens;
        return inner_.Open(path, mode);
    }
    std::vector<os::DevicePath> PermissionDenials() const override {
        return inner_.PermissionDenials();
    }
    bool Emulated() const override { return true; }

    int opens = 0;

  private:
    os::ScsiPassThrough& inner_;
};

TEST(IdentifyChip, UnopenableDeviceIsUnknownAfterOneChipInfoAttempt) {
    testing::EmulatedPlatform emu;
    const os::DevicePath path = emu.AddDevice(R"({"chip": "kxt850", "openError": "permission"})");
    CountingPassThrough counting(emu.bus);
    const os::Platform platform{counting, emu.clock, emu.firmware, emu.ui, emu.bus};

    EXPECT_EQ(IdentifyChip(platform, path), 0);

    // INQUIRY, then stage 2 of class 0: the chip information, once.
    EXPECT_EQ(counting.opens, 2);
    EXPECT_TRUE(emu.bus.Log().empty());
    EXPECT_TRUE(emu.ui.messages.empty());
    EXPECT_THAT(emu.bus.PermissionDenials(), ElementsAre(path));
}

TEST(ChipName, NamesEveryClassAndReadsForeignValuesAsUnknown) {
    EXPECT_EQ(ChipName(ChipClass::ChipKXT861), "KXT861/850 Series");
    EXPECT_EQ(ChipName(ChipClass::ChipKX40714Usb), "KX40714");
    EXPECT_EQ(ChipName(static_cast<ChipClass>(19)), "Unknown Chip");
    EXPECT_EQ(ChipName(static_cast<ChipClass>(0xFF)), "Unknown Chip");
}

}  // namespace
}  // namespace kxt::device
