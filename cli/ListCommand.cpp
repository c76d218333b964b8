#include "cli/ListCommand.h"

#include <algorithm>
#include <iomanip>
#include <iostream>

#include "device/IDEAccess.h"

namespace kxt::cli {
namespace {

void PrintDevice(const os::Platform& p, const os::DevicePath& path, std::size_t pathWidth) {
    const device::ChipIdentity identity = device::IdentifyChip(p, path);
    const device::ChipClass chipClass = device::ClassOf(identity);
    std::cout << std::left << std::setw(static_cast<int>(pathWidth)) << path << "  "
              << device::ChipName(chipClass) << " (class " << static_cast<unsigned>(chipClass)
              << ", revision " << static_cast<unsigned>(device::RevisionOf(identity)) << ")\n";
}

void PrintPermissionDenials(const os::Platform& p) {
    const std::vector<os::DevicePath> denied = p.scsi.PermissionDenials();
    if (denied.empty()) {
        return;
    }
    std::cerr << "kxtfw: no access to";
    for (const os::DevicePath& path : denied) std::cerr << ' ' << path;
    std::cerr << "; their chips could not be identified.\nkxtfw: " << PermissionHint(p) << '\n';
}

int List(Session& session) {
    const os::Platform& p = session.Platform();
    device::DevicePathTable table;
    const std::size_t disks = device::EnumDiskInterfaces(p, table);
    const std::size_t count = disks + device::EnumCdromInterfaces(p, table, disks);
    const auto listed = std::span(table.paths).first(count);

    if (count == 0) {
        std::cout << "No USB storage device found.\n";
    }
    std::size_t pathWidth = 0;
    for (const os::DevicePath& path : listed) pathWidth = std::max(pathWidth, path.size());
    for (const os::DevicePath& path : listed) PrintDevice(p, path, pathWidth);

    if (table.leftOut > 0) {
        std::cerr << "kxtfw: " << table.leftOut << " more USB storage device(s) left out: at most "
                  << device::DevicePathTable::kEntries
                  << " are handled at a time, with paths of at most "
                  << device::DevicePathTable::kMaxPathLength << " characters\n";
    }
    PrintPermissionDenials(p);
    return 0;
}

}  // namespace

void AddListCommand(CLI::App& app, const SessionOptions& options, int& exitStatus) {
    auto* command =
        app.add_subcommand("list", "List the USB storage devices and the bridge chip of each");
    command->callback([&options, &exitStatus] { RunInSession(options, exitStatus, List); });
}

}  // namespace kxt::cli
