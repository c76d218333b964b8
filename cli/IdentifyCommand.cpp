#include "cli/IdentifyCommand.h"

#include <array>
#include <cstdio>
#include <iostream>

#include "device/IDEAccess.h"

namespace kxt::cli {
namespace {

std::string Printable(std::span<const std::uint8_t> bytes) {
    std::string text;
    for (std::uint8_t byte : bytes) {
        text += byte >= 0x20 && byte < 0x7F ? static_cast<char>(byte) : '.';
    }
    return text;
}

std::string Hex16(std::uint16_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "%04X", value);
    return text;
}

int Identify(Session& session, const os::DevicePath& path) {
    const os::Platform& p = session.Platform();
    std::array<std::uint8_t, 40> inquiry{};
    if (!device::Inquiry(p, path, inquiry)) {
        std::cerr << "kxtfw: " << path << ": no answer to INQUIRY\n";
        if (!p.scsi.PermissionDenials().empty()) {
            std::cerr << "kxtfw: " << PermissionHint(p) << '\n';
        }
        return 1;
    }
    std::cout << "device:        " << path << '\n'
              << "name:          " << Printable(std::span(inquiry).subspan(8, 24)) << '\n'
              << "chip code:     " << Printable(std::span(inquiry).subspan(36, 4)) << '\n';
    device::FirmwareIdentity identity;
    std::int32_t transferred = 0;
    if (!device::ReadFirmwareIdentity(p, path, identity.bytes, transferred)) {
        std::cout << "identity:      no answer\n";
        if (!p.scsi.PermissionDenials().empty()) {
            std::cerr << "kxtfw: " << PermissionHint(p) << '\n';
        }
        return 1;
    }
    if (!identity.HasSignature()) {
        std::cout << "identity:      no identity record (not a Kavrix bridge)\n";
        return 0;
    }
    std::cout << "USB ids:       " << Hex16(identity.VendorId()) << ':' << Hex16(identity.ProductId())
              << '\n'
              << "model:         " << Printable(std::span(identity.bytes).subspan(8, 3))
              << " revision " << Printable(std::span(identity.bytes).subspan(11, 1)) << '\n'
              << "firmware:      "
              << (transferred >= device::FirmwareIdentity::kLongVersionLength
                      ? device::LongVersionText(identity)
                      : device::ShortVersionText(identity))
              << '\n';
    return 0;
}

}  // namespace

void AddIdentifyCommand(CLI::App& app, const SessionOptions& options, int& exitStatus) {
    auto* command = app.add_subcommand("identify", "Ask one device for its INQUIRY data and identity record");
    auto path = std::make_shared<std::string>();
    command->add_option("path", *path, "Device node, e.g. /dev/sg1 (default with --emulate: the first device)");
    command->callback([&options, &exitStatus, path] {
        RunInSession(options, exitStatus, [&path](Session& session) {
            const std::optional<os::DevicePath> target =
                path->empty() ? session.DefaultPath() : std::optional<os::DevicePath>(*path);
            if (!target) {
                std::cerr << "kxtfw: name a device, e.g. kxtfw identify /dev/sg1\n";
                return 2;
            }
            return Identify(session, *target);
        });
    });
}

}  // namespace kxt::cli
