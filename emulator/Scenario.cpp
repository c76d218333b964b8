#include "emulator/Scenario.h"

#include <cctype>
#include <cerrno>
#include <fstream>
#include <nlohmann/json.hpp>
#include <random>
#include <set>
#include <sstream>

#include "emulator/ChipPresets.h"
#include "emulator/IdentityRecord.h"

namespace kxt::emulator {
namespace {

using nlohmann::json;

// Walks one JSON object, remembering where it is for messages and which keys
// were used, so that a misspelt key is an error rather than silently ignored.
class Node {
public:
    Node(const json& value, std::string where, const std::string& source)
        : value_(value), where_(std::move(where)), source_(source) {}

    [[noreturn]] void Fail(const std::string& message) const {
        throw ScenarioError(source_ + ": " + where_ + ": " + message);
    }

    void RequireObject(const std::set<std::string>& allowed) const {
        if (!value_.is_object()) Fail("expected an object");
        for (const auto& [key, unused] : value_.items()) {
            if (!allowed.contains(key)) Fail("unknown key \"" + key + "\"");
        }
    }

    bool Has(const std::string& key) const { return value_.contains(key); }
    bool IsNull() const { return value_.is_null(); }
    const json& Raw() const { return value_; }
    Node Child(const std::string& key) const {
        return Node(value_.at(key), where_ + "." + key, source_);
    }
    Node Element(std::size_t index) const {
        return Node(value_.at(index), where_ + "[" + std::to_string(index) + "]", source_);
    }

    // A number given as JSON number or as text "0x..." / decimal.
    std::uint64_t Number(std::uint64_t max) const {
        if (value_.is_number_unsigned()) {
            return CheckRange(value_.get<std::uint64_t>(), max);
        }
        if (value_.is_string()) {
            return NumberFromText(value_.get<std::string>(), max);
        }
        Fail("expected a non-negative number");
    }
    std::uint64_t NumberFromText(const std::string& text, std::uint64_t max) const {
        std::uint64_t number = 0;
        std::size_t used = 0;
        try {
            number = std::stoull(text, &used, 0);
        } catch (const std::exception&) {
            Fail("\"" + text + "\" is not a number");
        }
        if (used != text.size() || text.starts_with('-')) Fail("\"" + text + "\" is not a number");
        return CheckRange(number, max);
    }
    std::string Text() const {
        if (!value_.is_string()) Fail("expected a text");
        return value_.get<std::string>();
    }
    bool Flag() const {
        if (!value_.is_boolean()) Fail("expected true or false");
        return value_.get<bool>();
    }
    std::vector<std::uint8_t> Bytes() const {
        if (value_.is_string()) return HexBytes();
        if (!value_.is_array()) Fail("expected an array of bytes or a hex text");
        std::vector<std::uint8_t> bytes;
        for (std::size_t i = 0; i < value_.size(); ++i) {
            bytes.push_back(static_cast<std::uint8_t>(Element(i).Number(0xFF)));
        }
        return bytes;
    }
    const std::string& Where() const { return where_; }

private:
    std::uint64_t CheckRange(std::uint64_t number, std::uint64_t max) const {
        if (number > max) Fail(std::to_string(number) + " is larger than " + std::to_string(max));
        return number;
    }

    std::vector<std::uint8_t> HexBytes() const {
        std::vector<std::uint8_t> bytes;
        std::string digits;
        for (char c : value_.get<std::string>()) {
            if (c == ' ' || c == ':' || c == '-') continue;
            if (!std::isxdigit(static_cast<unsigned char>(c))) Fail("not a hex byte text");
            digits += c;
        }
        if (digits.size() % 2 != 0) Fail("hex text with an odd number of digits");
        for (std::size_t i = 0; i < digits.size(); i += 2) {
            bytes.push_back(static_cast<std::uint8_t>(std::stoul(digits.substr(i, 2), nullptr, 16)));
        }
        return bytes;
    }

    const json& value_;
    std::string where_;
    const std::string& source_;
};

struct Device {
    Personality personality;
    std::size_t flashSize = 0x10000;
};

Device Preset(const Node& node, const std::string& chip) {
    Device device;
    Personality& p = device.personality;
    if (chip == "kxt850") {
        p.product = "KXT850 SATA";
        p.inquiryChipCode = "k850";
        p.identity = IdentityRecord(0x4B58, 0x0850, {1, 2}, "850", '0', {67, 1, 0});
        p.flashPart = *FindSpiFlashPart("MXIC");
        p.reportedFlashType = 5;
    } else if (chip == "kxt861") {
        p.product = "KXT861 SATA";
        p.inquiryChipCode = "k861";
        p.identity = IdentityRecord(0x4B58, 0x0861, {18, 2}, "861", '0', {18, 2, 0});
        p.flashPart = *FindSpiFlashPart("WINBOND");
        p.reportedFlashType = 6;
        p.xdata = {{0x505F, 0x00}, {0x5060, 0x01}};
    } else if (chip == "foreign") {
        p.vendor = "Generic";
        p.product = "Flash Disk";
        p.vendorCommands = false;
    } else if (chip != "none" && !ApplyChipPreset(chip, p)) {
        std::string known = "kxt850 kxt861 foreign none";
        for (const std::string& name : ChipPresetNames()) known += " " + name;
        node.Fail("unknown chip \"" + chip + "\"; known: " + known);
    }
    return device;
}

void ReadIdentity(const Node& node, Personality& p) {
    if (node.IsNull()) {
        p.identity.reset();
        return;
    }
    node.RequireObject({"hex", "vendorId", "productId", "shortVersion", "model", "revision",
                        "longVersion", "length"});
    if (node.Has("length")) {
        p.identityLength = static_cast<std::int32_t>(node.Child("length").Number(16));
    }
    if (node.Has("hex")) {
        const auto bytes = node.Child("hex").Bytes();
        if (bytes.size() != 16) node.Fail("hex: an identity record has 16 bytes");
        std::array<std::uint8_t, 16> record{};
        std::copy(bytes.begin(), bytes.end(), record.begin());
        p.identity = record;
        return;
    }
    auto pair = [&node](const std::string& key, std::array<std::uint8_t, 2> fallback) {
        if (!node.Has(key)) return fallback;
        const auto bytes = node.Child(key).Bytes();
        if (bytes.size() != 2) node.Child(key).Fail("expected two numbers");
        return std::array<std::uint8_t, 2>{bytes[0], bytes[1]};
    };
    std::array<std::uint8_t, 3> longVersion{};
    if (node.Has("longVersion")) {
        const auto bytes = node.Child("longVersion").Bytes();
        if (bytes.size() != 3) node.Child("longVersion").Fail("expected three numbers");
        std::copy(bytes.begin(), bytes.end(), longVersion.begin());
    }
    const std::string model = node.Has("model") ? node.Child("model").Text() : "000";
    if (model.size() != 3) node.Child("model").Fail("expected three characters");
    const std::string revision = node.Has("revision") ? node.Child("revision").Text() : "0";
    if (revision.size() != 1) node.Child("revision").Fail("expected one character");
    p.identity = IdentityRecord(
        node.Has("vendorId") ? static_cast<std::uint16_t>(node.Child("vendorId").Number(0xFFFF)) : 0,
        node.Has("productId") ? static_cast<std::uint16_t>(node.Child("productId").Number(0xFFFF)) : 0,
        pair("shortVersion", {0, 0}), model, revision[0], longVersion);
}

void ReadFlashPart(const Node& node, Personality& p) {
    const std::string name = node.Text();
    auto part = FindSpiFlashPart(name);
    if (!part) {
        std::string known;
        for (const auto& candidate : SpiFlashPartNames()) known += " " + candidate;
        node.Fail("unknown flash part \"" + name + "\"; known:" + known);
    }
    p.flashPart = *part;
}

// Opcode -> reply bytes, overriding the part's own answers.
template <std::size_t N>
void ReadReplies(const Node& node, std::map<std::uint8_t, std::array<std::uint8_t, N>>& replies) {
    if (!node.Raw().is_object()) node.Fail("expected an object of opcode: reply bytes");
    for (const auto& [key, unused] : node.Raw().items()) {
        const Node entry = node.Child(key);
        const auto opcode = static_cast<std::uint8_t>(entry.NumberFromText(key, 0xFF));
        const auto bytes = entry.Bytes();
        if (bytes.size() != N) entry.Fail("expected " + std::to_string(N) + " bytes");
        std::copy(bytes.begin(), bytes.end(), replies[opcode].begin());
    }
}

std::vector<std::uint8_t> ReadFile(const Node& node, const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) node.Fail("cannot read \"" + file.string() + "\"");
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::uint8_t> RegionBytes(const Node& node, const std::filesystem::path& base) {
    node.RequireObject({"offset", "hex", "text", "file", "random", "fill", "length"});
    int sources = 0;
    for (const char* key : {"hex", "text", "file", "random", "fill"}) sources += node.Has(key);
    if (sources != 1) node.Fail("give exactly one of hex, text, file, random, fill");
    if (node.Has("hex")) return node.Child("hex").Bytes();
    if (node.Has("text")) {
        const std::string text = node.Child("text").Text();
        return {text.begin(), text.end()};
    }
    if (node.Has("file")) return ReadFile(node.Child("file"), base / node.Child("file").Text());
    if (!node.Has("length")) node.Fail("random and fill regions need a length");
    const auto length = static_cast<std::size_t>(node.Child("length").Number(1U << 24));
    if (node.Has("fill")) {
        return std::vector<std::uint8_t>(length,
                                         static_cast<std::uint8_t>(node.Child("fill").Number(0xFF)));
    }
    std::mt19937 generator(static_cast<std::uint32_t>(node.Child("random").Number(0xFFFFFFFF)));
    std::vector<std::uint8_t> bytes(length);
    for (auto& byte : bytes) byte = static_cast<std::uint8_t>(generator());
    return bytes;
}

NorFlash ReadFlash(const Node& node, Device& device, const std::filesystem::path& base) {
    node.RequireObject({"part", "reportedType", "size", "fill", "regions", "largeEraseBlock",
                        "smallEraseBlock", "sectorEraseUnit", "spiReplies", "signatureReplies"});
    Personality& p = device.personality;
    if (node.Has("part")) ReadFlashPart(node.Child("part"), p);
    if (node.Has("spiReplies")) ReadReplies(node.Child("spiReplies"), p.flashPart.opcodeReplies);
    if (node.Has("signatureReplies")) {
        ReadReplies(node.Child("signatureReplies"), p.flashPart.signatureReplies);
    }
    if (node.Has("reportedType")) {
        const Node type = node.Child("reportedType");
        p.reportedFlashType = type.IsNull()
                                  ? std::nullopt
                                  : std::optional<std::uint8_t>(
                                        static_cast<std::uint8_t>(type.Number(0xFF)));
    }
    if (node.Has("largeEraseBlock"))
        p.flashPart.largeEraseBlock = static_cast<std::uint32_t>(node.Child("largeEraseBlock").Number(1U << 24));
    if (node.Has("smallEraseBlock"))
        p.flashPart.smallEraseBlock = static_cast<std::uint32_t>(node.Child("smallEraseBlock").Number(1U << 24));
    if (node.Has("sectorEraseUnit"))
        p.flashPart.sectorEraseUnit = static_cast<std::uint32_t>(node.Child("sectorEraseUnit").Number(1U << 24));
    if (node.Has("size")) {
        device.flashSize = static_cast<std::size_t>(node.Child("size").Number(1U << 24));
    }
    const auto fill =
        node.Has("fill") ? static_cast<std::uint8_t>(node.Child("fill").Number(0xFF)) : 0xFF;
    NorFlash flash(device.flashSize, fill);
    if (!node.Has("regions")) return flash;
    const Node regions = node.Child("regions");
    if (!regions.Raw().is_array()) regions.Fail("expected an array");
    for (std::size_t i = 0; i < regions.Raw().size(); ++i) {
        const Node region = regions.Element(i);
        const auto bytes = RegionBytes(region, base);
        const auto offset = region.Has("offset") ? region.Child("offset").Number(1U << 24) : 0;
        if (offset + bytes.size() > flash.Size()) region.Fail("runs past the end of the flash");
        std::copy(bytes.begin(), bytes.end(), flash.Bytes().begin() + static_cast<std::ptrdiff_t>(offset));
    }
    return flash;
}

Fault ReadFault(const Node& node) {
    node.RequireObject({"kind", "command", "occurrence", "onwards", "offset"});
    Fault fault;
    const std::string kind = node.Has("kind") ? node.Child("kind").Text() : "fail";
    if (kind == "fail") fault.kind = Fault::Kind::FailCommand;
    else if (kind == "corrupt-read") fault.kind = Fault::Kind::CorruptRead;
    else if (kind == "disappear") fault.kind = Fault::Kind::Disappear;
    else if (kind == "ignore") fault.kind = Fault::Kind::Ignore;
    else node.Child("kind").Fail("unknown fault \"" + kind + "\" (fail, corrupt-read, disappear, ignore)");
    if (!node.Has("command")) node.Fail("a fault names its command");
    fault.command = node.Child("command").Text();
    bool known = false;
    for (int c = 0; c <= static_cast<int>(ChipCommand::ReadRom); ++c) {
        known = known || CommandName(static_cast<ChipCommand>(c)) == fault.command;
    }
    if (!known) node.Child("command").Fail("unknown command \"" + fault.command + "\"");
    if (node.Has("occurrence")) fault.occurrence = static_cast<int>(node.Child("occurrence").Number(1U << 30));
    if (node.Has("onwards")) fault.onwards = node.Child("onwards").Flag();
    if (node.Has("offset")) fault.offset = static_cast<std::uint32_t>(node.Child("offset").Number(1U << 24));
    return fault;
}

int ReadOpenError(const Node& node) {
    const std::string text = node.Text();
    if (text == "permission") return EACCES;
    if (text == "absent") return ENOENT;
    if (text == "busy") return EBUSY;
    node.Fail("unknown open error \"" + text + "\" (permission, absent, busy)");
}

int ReadBusyCount(const Node& node) {
    if (node.Raw().is_string() && node.Text() == "always") return -1;
    return static_cast<int>(node.Number(1U << 30));
}

struct ParsedDevice {
    std::string id;
    Personality personality;
    NorFlash flash;
    std::vector<Fault> faults;
};

ParsedDevice ReadDevice(const Node& node, std::size_t index, const std::filesystem::path& base,
                        std::set<std::string>& ids) {
    node.RequireObject({"id", "chip", "interface", "vendor", "product", "productRevision",
                        "inquiryChipCode", "identity", "legacyChipId", "chipInfo", "xdata",
                        "vendorCommands", "unknownCommands", "flash", "busyStatusReads",
                        "romBusyReads", "parallelFlashPart", "needsRomSwitch", "openError",
                        "rawIoDenied", "reattachDelayMs", "faults"});
    Device device = Preset(node, node.Has("chip") ? node.Child("chip").Text() : "none");
    Personality& p = device.personality;
    std::string id = node.Has("id") ? node.Child("id").Text() : "dev" + std::to_string(index);
    for (char c : id) {
        if (!(std::islower(static_cast<unsigned char>(c)) || std::isdigit(static_cast<unsigned char>(c)) || c == '-' || c == '_')) {
            node.Child("id").Fail("use lower-case letters, digits, '-' and '_'");
        }
    }
    if (!ids.insert(id).second) node.Child("id").Fail("\"" + id + "\" is used twice");
    if (node.Has("interface")) {
        const std::string kind = node.Child("interface").Text();
        if (kind == "disk") p.interface = os::InterfaceKind::Disk;
        else if (kind == "cdrom") p.interface = os::InterfaceKind::Cdrom;
        else node.Child("interface").Fail("expected \"disk\" or \"cdrom\"");
    }
    if (node.Has("vendor")) p.vendor = node.Child("vendor").Text();
    if (node.Has("product")) p.product = node.Child("product").Text();
    if (node.Has("productRevision")) p.productRevision = node.Child("productRevision").Text();
    if (node.Has("inquiryChipCode")) p.inquiryChipCode = node.Child("inquiryChipCode").Text();
    if (node.Has("identity")) ReadIdentity(node.Child("identity"), p);
    if (node.Has("legacyChipId")) {
        const Node legacy = node.Child("legacyChipId");
        if (legacy.IsNull()) {
            p.legacyChipId.reset();
        } else {
            const auto bytes = legacy.Bytes();
            if (bytes.size() != 2) legacy.Fail("expected two bytes");
            p.legacyChipId = std::array<std::uint8_t, 2>{bytes[0], bytes[1]};
        }
    }
    if (node.Has("chipInfo")) {
        const Node info = node.Child("chipInfo");
        if (info.IsNull()) {
            p.chipInfo.reset();
        } else if (info.Raw().is_string()) {
            const std::string text = info.Text();
            p.chipInfo = std::vector<std::uint8_t>(text.begin(), text.end());
        } else {
            p.chipInfo = info.Bytes();
        }
    }
    if (node.Has("xdata")) {
        const Node xdata = node.Child("xdata");
        if (!xdata.Raw().is_object()) xdata.Fail("expected an object of address: bytes");
        for (const auto& [key, unused] : xdata.Raw().items()) {
            const Node entry = xdata.Child(key);
            const auto address = entry.NumberFromText(key, 0xFFFF);
            const auto bytes = entry.Bytes();
            for (std::size_t i = 0; i < bytes.size(); ++i) {
                p.xdata[static_cast<std::uint16_t>(address + i)] = bytes[i];
            }
        }
    }
    if (node.Has("vendorCommands")) p.vendorCommands = node.Child("vendorCommands").Flag();
    if (node.Has("unknownCommands")) {
        const std::string behaviour = node.Child("unknownCommands").Text();
        if (behaviour == "fail") p.unknownCommands = UnknownCommandBehaviour::Fail;
        else if (behaviour == "reject") p.unknownCommands = UnknownCommandBehaviour::Reject;
        else node.Child("unknownCommands").Fail("expected \"fail\" or \"reject\"");
    }
    if (node.Has("busyStatusReads")) p.busyStatusReads = ReadBusyCount(node.Child("busyStatusReads"));
    if (node.Has("romBusyReads")) p.romBusyReads = ReadBusyCount(node.Child("romBusyReads"));
    if (node.Has("parallelFlashPart")) p.parallelFlashPart = static_cast<int>(node.Child("parallelFlashPart").Number(2));
    if (node.Has("needsRomSwitch")) p.needsRomSwitch = node.Child("needsRomSwitch").Flag();
    if (node.Has("openError")) p.openError = ReadOpenError(node.Child("openError"));
    if (node.Has("rawIoDenied")) p.rawIoDenied = node.Child("rawIoDenied").Flag();
    if (node.Has("reattachDelayMs")) p.reattachDelayMs = static_cast<std::uint32_t>(node.Child("reattachDelayMs").Number(1U << 30));
    NorFlash flash = node.Has("flash") ? ReadFlash(node.Child("flash"), device, base)
                                       : NorFlash(device.flashSize);
    std::vector<Fault> faults;
    if (node.Has("faults")) {
        const Node list = node.Child("faults");
        if (!list.Raw().is_array()) list.Fail("expected an array");
        for (std::size_t i = 0; i < list.Raw().size(); ++i) faults.push_back(ReadFault(list.Element(i)));
    }
    return {std::move(id), std::move(p), std::move(flash), std::move(faults)};
}

}  // namespace

void LoadScenarioText(const std::string& text, const std::string& source,
                      const std::filesystem::path& baseDirectory, EmulatedBus& bus) {
    json document;
    try {
        document = json::parse(text);
    } catch (const json::parse_error& error) {
        throw ScenarioError(source + ": not valid JSON: " + error.what());
    }
    const Node root(document, "(top)", source);
    root.RequireObject({"devices", "comment"});
    if (!root.Has("devices") || !root.Child("devices").Raw().is_array()) {
        root.Fail("expected \"devices\": [ ... ]");
    }
    const Node devices = root.Child("devices");
    // Every device is read before any is added, so a bad file adds nothing. Ids are
    // unique on the whole bus, also across several scenarios.
    std::set<std::string> ids;
    for (const EmulatedDevice* device : bus.Devices()) {
        ids.insert(device->id);
    }
    const std::size_t firstIndex = bus.Devices().size();
    std::vector<ParsedDevice> parsed;
    for (std::size_t i = 0; i < devices.Raw().size(); ++i) {
        parsed.push_back(ReadDevice(devices.Element(i), firstIndex + i, baseDirectory, ids));
    }
    for (ParsedDevice& device : parsed) {
        EmulatedDevice& added =
            bus.AddDevice(std::move(device.id), std::move(device.personality), std::move(device.flash));
        added.faults = std::move(device.faults);
    }
}

void LoadScenarioFile(const std::filesystem::path& file, EmulatedBus& bus) {
    std::ifstream in(file);
    if (!in) {
        throw ScenarioError(file.string() + ": cannot be read");
    }
    std::stringstream text;
    text << in.rdbuf();
    LoadScenarioText(text.str(), file.string(), file.parent_path(), bus);
}

}  // namespace kxt::emulator
