#include "device/FirmwareFileCheck.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace kxt::device {
namespace {

// Chip classes as the chip identification numbers them.
constexpr std::uint8_t kChipKX40712 = 1;
constexpr std::uint8_t kChipKX40714 = 2;
constexpr std::uint8_t kChipKX40716 = 3;
constexpr std::uint8_t kChipKX40719 = 4;
constexpr std::uint8_t kChipKXR741 = 6;
constexpr std::uint8_t kChipKXR743 = 7;
constexpr std::uint8_t kChipKXR745 = 8;
constexpr std::uint8_t kChipKXR746 = 9;
constexpr std::uint8_t kChipKXT861 = 10;
constexpr std::uint8_t kChipKXR827 = 11;
constexpr std::uint8_t kChipKX40716Reg = 14;
constexpr std::uint8_t kChipKX40718Reg = 15;
constexpr std::uint8_t kChipKX40719Reg = 16;
constexpr std::uint8_t kChipKX40712Reg = 17;
constexpr std::uint8_t kChipKX40714Usb = 18;

constexpr std::string_view kOpenErrorText = "Open Firmware File Error!!";
constexpr std::string_view kOpenErrorCaption = "Error";

using Header = std::array<std::uint8_t, 10>;

constexpr std::streamoff kKXR827HeaderOffset = 0x4000;
constexpr std::streamoff kSecondHeaderOffset = 0x1000;
constexpr std::array<std::uint8_t, 4> kMarker{0x55, 0xAA, 0xAA, 0x55};
constexpr std::size_t kKXR827MarkerLength = 2;  // its files need only 55 AA
constexpr std::size_t kTagOffset = 4;
constexpr std::size_t kTagLength = 4;
constexpr std::size_t kRevisionByte = 8;
constexpr std::array<std::uint8_t, 4> kKX40712FirstRevisionTag{0x5A, 0xA5, 0x0F, 0xF0};

// The classes whose files carry the marker at offset 0 or 0x1000, with the model
// code their tag begins with.
std::optional<std::string_view> MarkerClassModelCode(std::uint8_t chipClass) {
    switch (chipClass) {
        case kChipKXR741:
            return "741";
        case kChipKXR745:
        case kChipKXR746:
            return "746";
        case kChipKXT861:
            return "861";
        default:
            return std::nullopt;
    }
}

// The header at `offset`; bytes the file does not have read as zero.
Header ReadHeader(std::ifstream& file, std::streamoff offset) {
    Header header{};
    file.clear();
    if (file.seekg(offset)) {
        file.read(reinterpret_cast<char*>(header.data()), header.size());
    }
    return header;
}

bool HasMarker(const Header& header, std::size_t length = kMarker.size()) {
    return std::equal(kMarker.begin(), kMarker.begin() + static_cast<std::ptrdiff_t>(length),
                      header.begin());
}

// Four bytes as text; a zero byte ends it early.
std::string Text(std::span<const std::uint8_t> bytes) {
    std::string text;
    for (std::uint8_t byte : bytes) {
        if (byte == 0)
            break;
        text += static_cast<char>(byte);
    }
    return text;
}

std::string Tag(const Header& header) {
    return Text(std::span(header).subspan(kTagOffset, kTagLength));
}

// The character '0' + value, wrapped to a byte as the file's text would hold it.
std::uint8_t Digit(int value) {
    return static_cast<std::uint8_t>('0' + value);
}

std::string ModelText(std::string_view code, int revisionDigit) {
    std::array<std::uint8_t, 4> bytes{};
    std::copy(code.begin(), code.end(), bytes.begin());
    bytes[3] = Digit(revisionDigit);
    return Text(bytes);
}

struct Headers {
    std::string tag;  // the tag that decides
    Header last{};    // the last header read
};

// Reads what the class needs; nothing when the file's marker says it is for
// another chip.
std::optional<Headers> ReadHeaders(std::ifstream& file, std::uint8_t chipClass) {
    if (chipClass == kChipKXR827) {
        const Header header = ReadHeader(file, kKXR827HeaderOffset);
        if (!HasMarker(header, kKXR827MarkerLength))
            return std::nullopt;
        return Headers{Tag(header), header};
    }
    const Header first = ReadHeader(file, 0);
    const auto code = MarkerClassModelCode(chipClass);
    if (!code)
        return Headers{Tag(first), first};
    if (HasMarker(first)) {
        if (!Tag(first).starts_with(*code))
            return std::nullopt;
        return Headers{Tag(first), first};
    }
    const Header second = ReadHeader(file, kSecondHeaderOffset);
    if (HasMarker(second)) {
        if (!Tag(second).starts_with(*code))
            return std::nullopt;
        return Headers{Tag(second), second};
    }
    return Headers{Tag(first), second};
}

bool KXR743Accepts(const Header& header, int revision) {
    constexpr std::array<std::uint8_t, 8> kFirstRevision{0x55, 0xAA, 0xAA, 0x55,
                                                         'k',  '7',  '4',  '3'};
    constexpr std::array<std::uint8_t, 8> kSecondRevision{0x55, 0xAA, 0xAA, 0x55,
                                                          '7',  '4',  '3',  '1'};
    const auto start = std::span(header).first(8);
    if (revision == 1)
        return std::ranges::equal(start, kFirstRevision);
    if (revision == 2)
        return std::ranges::equal(start, kSecondRevision);
    return false;
}

bool KXR741Accepts(const Header& header, int revision) {
    int fileRevision = header[kRevisionByte];
    if (fileRevision != 0)
        fileRevision -= '0';
    return fileRevision == revision - 1;
}

bool Accepts(std::uint8_t chipClass, int revision, const Headers& headers) {
    const std::string& tag = headers.tag;
    switch (chipClass) {
        case kChipKX40712:
            if (revision == 1)
                return tag == Text(kKX40712FirstRevisionTag);
            return tag == ModelText("712", revision - 1);
        case kChipKX40714:
        case kChipKX40714Usb:
            return !tag.starts_with("71");
        case kChipKX40716:
        case kChipKX40716Reg:
        case kChipKX40718Reg:
        case kChipKX40719Reg:
        case kChipKX40712Reg:
            return true;
        case kChipKX40719:
            return tag == ModelText("719", revision - 1);
        case kChipKXR741:
            return KXR741Accepts(headers.last, revision);
        case kChipKXR743:
            return KXR743Accepts(headers.last, revision);
        case kChipKXR745:
        case kChipKXR746:
            return tag.starts_with("746");
        case kChipKXT861:
            return tag.starts_with("861");
        case kChipKXR827:
            return tag.starts_with("827");
        default:
            return false;
    }
}

}  // namespace

bool CheckFirmwareFile(os::UiServices& ui, const std::filesystem::path& path,
                       std::uint16_t chipIdentity) {
    std::error_code error;
    // A directory opens for reading on Linux but holds no firmware.
    std::ifstream file;
    if (!std::filesystem::is_directory(path, error)) {
        file.open(path, std::ios::binary);
    }
    if (!file.is_open()) {
        ui.ShowMessage(kOpenErrorText, kOpenErrorCaption, os::MessageIcon::Error);
        return false;
    }
    const auto chipClass = static_cast<std::uint8_t>(chipIdentity & 0xFFU);
    const int revision = chipIdentity >> 8U;
    const std::optional<Headers> headers = ReadHeaders(file, chipClass);
    file.close();
    return headers && Accepts(chipClass, revision, *headers);
}

}  // namespace kxt::device
