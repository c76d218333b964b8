#include "cli/DumpCommand.h"

#include <iostream>
#include <vector>

#include "device/IDEAccess.h"
#include "os/linux/AtomicFile.h"

namespace kxt::cli {
namespace {

constexpr std::uint32_t kDefaultDumpLength = 0x10000;
constexpr std::uint32_t kFlashAddressSpace = 0x1000000;  // 24-bit block addresses

struct DumpRequest {
    std::string path;
    std::string output;
    std::uint32_t length = kDefaultDumpLength;
};

int Dump(Session& session, const os::DevicePath& path, const DumpRequest& request) {
    const os::Platform& p = session.Platform();
    std::vector<std::uint8_t> flash(request.length);
    if (!device::ReadFlashArea(p, path, 0, flash)) {
        std::cerr << "kxtfw: " << path << ": reading the flash failed; " << request.output
                  << " was not written\n";
        if (!p.scsi.PermissionDenials().empty()) {
            std::cerr << "kxtfw: " << PermissionHint(p) << '\n';
        }
        return 1;
    }
    std::string error;
    if (!os::linux_impl::WriteFileAtomically(request.output, flash, error)) {
        std::cerr << "kxtfw: cannot write " << request.output << ": " << error << '\n';
        return 1;
    }
    std::cout << "wrote " << flash.size() << " bytes of " << path << "'s flash to "
              << request.output << '\n';
    return 0;
}

}  // namespace

void AddDumpCommand(CLI::App& app, const SessionOptions& options, int& exitStatus) {
    auto* command =
        app.add_subcommand("dump", "Save a device's flash, from address 0, to a raw file");
    auto request = std::make_shared<DumpRequest>();
    command->add_option("path", request->path,
                        "Device node, e.g. /dev/sg1 (default with --emulate: the first device)");
    command->add_option("-o,--output", request->output, "The file to write")->required();
    command->add_option("--length", request->length, "Bytes to read (default 65536; 0x... allowed)")
        ->check(CLI::Range(std::uint32_t{1}, kFlashAddressSpace));
    command->callback([&options, &exitStatus, request] {
        RunInSession(options, exitStatus, [&request](Session& session) {
            const std::optional<os::DevicePath> target =
                request->path.empty() ? session.DefaultPath()
                                      : std::optional<os::DevicePath>(request->path);
            if (!target) {
                std::cerr << "kxtfw: name a device, e.g. kxtfw dump /dev/sg1 -o flash.bin\n";
                return 2;
            }
            return Dump(session, *target, *request);
        });
    });
}

}  // namespace kxt::cli
