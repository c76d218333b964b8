#include "cli/RdCommand.h"

#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "app/ExternalFlashUpdate.h"
#include "app/InternalRomUpdate.h"
#include "app/NvramFamilyUpdate.h"
#include "app/SharedWindowState.h"
#include "device/IDEAccess.h"

namespace kxt::cli {
namespace {

using device::ChipClass;

enum class RdAction { Update, Erase, Backup };

struct RdOptions {
    std::string device;
    std::uint32_t firmwareSize = 65536;
    std::uint32_t pageSize = 16384;
    std::string backupFile;
    bool a1Chip = false;
    int parallelFlash = 0;
};

// The choices of the engineering panel's lists.
const std::map<std::string, std::uint32_t> kFirmwareSizes{
    {"32KB", 32768},    {"64KB", 65536},    {"128KB", 131072},
    {"256KB", 262144},  {"512KB", 524288},  {"1MB", 1048576}};
const std::map<std::string, std::uint32_t> kPageSizes{
    {"32KB", 32768}, {"16KB", 16384}, {"8KB", 8192}, {"4KB", 4096}, {"2KB", 2048}};
const std::map<std::string, int> kParallelFlashParts{{"atmel", 0}, {"pmc", 1}, {"sst", 2}};

enum class OlderPath { None, ExternalFlash, NvramFamily, InternalRom };

// As the engineering panel's "Run" dispatches, except that erasing or backing up a
// chip of the NVRAM family erases or backs it up (there "Run" would update it).
OlderPath PathFor(ChipClass chipClass, RdAction action) {
    switch (chipClass) {
        case ChipClass::ChipKX40712:
        case ChipClass::ChipKX40716:
        case ChipClass::ChipKX40719:
        case ChipClass::ChipKXR743: return OlderPath::ExternalFlash;
        case ChipClass::ChipKXR741:
            return action == RdAction::Update ? OlderPath::NvramFamily : OlderPath::ExternalFlash;
        case ChipClass::ChipKX40714:
        case ChipClass::ChipKX40714Usb: return OlderPath::InternalRom;
        default: return OlderPath::None;
    }
}

bool HasExternalFlash(ChipClass chipClass) {
    return chipClass == ChipClass::ChipKX40712 || chipClass == ChipClass::ChipKX40716 ||
           chipClass == ChipClass::ChipKX40719 || chipClass == ChipClass::ChipKXR741 ||
           chipClass == ChipClass::ChipKXR743;
}

// The named device, else the first USB storage device listed.
std::optional<os::DevicePath> ChooseDevice(const os::Platform& p, const RdOptions& rd) {
    if (!rd.device.empty()) {
        return rd.device;
    }
    device::DevicePathTable table;
    const std::size_t disks = device::EnumDiskInterfaces(p, table);
    if (disks + device::EnumCdromInterfaces(p, table, disks) == 0) {
        return std::nullopt;
    }
    return table.paths[0];
}

// The window as the engineering panel leaves it for this action.
void PrepareWindow(app::SharedWindowState& window, RdAction action, const RdOptions& rd) {
    window.RdCheckBox.checked = true;
    window.EraseOnlyCheck.checked = action == RdAction::Erase;
    window.EraseOnly = action == RdAction::Erase ? 1 : 0;
    window.BackupFWCheckBox.checked = action == RdAction::Backup;
    window.BackupFileEdit.text = rd.backupFile;
    window.A1ChipCheck.checked = rd.a1Chip;
    window.FlashTypeList.index = rd.parallelFlash;
}

std::string WithoutLineEnds(std::string text) {
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) {
        text.pop_back();
    }
    return text;
}

int Run(Session& session, RdAction action, const RdOptions& rd) {
    const os::Platform& p = session.Platform();
    const std::optional<os::DevicePath> path = ChooseDevice(p, rd);
    if (!path) {
        std::cerr << "kxtfw: no USB storage device found; name one with --device\n";
        return 2;
    }
    if (action != RdAction::Backup) {
        if (const auto refusal = device::ProgrammingRefusal(p)) {
            std::cerr << "kxtfw: " << *refusal << '\n';
            return 2;
        }
    }
    const ChipClass chipClass = device::ClassOf(device::IdentifyChip(p, *path));
    const OlderPath older = PathFor(chipClass, action);
    if (older == OlderPath::None) {
        std::cerr << "kxtfw: " << *path << ": " << device::ChipName(chipClass) << " (class "
                  << static_cast<unsigned>(chipClass)
                  << ") is not one of the older bridges (classes 1, 2, 3, 4, 6, 7, 18)\n";
        if (!p.scsi.PermissionDenials().empty()) {
            std::cerr << "kxtfw: " << PermissionHint(p) << '\n';
        }
        return 2;
    }
    app::ProcessSettings settings{rd.firmwareSize, rd.pageSize};
    app::SharedWindowState window(p, settings);
    PrepareWindow(window, action, rd);
    if (HasExternalFlash(chipClass)) {
        window.AmicLayoutCode = device::ReadAmicLayout(p, *path);
    }
    int result = 0;
    switch (older) {
        case OlderPath::ExternalFlash: result = app::UpdateExternalFlash(window, *path); break;
        case OlderPath::NvramFamily: result = app::UpdateNvramFamily(window, *path); break;
        case OlderPath::InternalRom:
            result = app::UpdateInternalRom(window, *path, window.FlashTypeList.index);
            break;
        case OlderPath::None: break;
    }
    const std::string status = WithoutLineEnds(window.StatusEdit.text);
    std::cout << *path << ": " << device::ChipName(chipClass) << ": "
              << (!status.empty() ? status : result == 1 ? "done" : "failed") << '\n';
    return result == 1 ? 0 : 1;
}

void AddAction(CLI::App& rd, const char* name, const char* description, RdAction action,
               const SessionOptions& options, std::shared_ptr<RdOptions> rdOptions,
               int& exitStatus) {
    auto* command = rd.add_subcommand(name, description);
    command->fallthrough();
    command->callback([&options, &exitStatus, action, rdOptions] {
        RunInSession(options, exitStatus,
                     [action, &rdOptions](Session& session) { return Run(session, action, *rdOptions); });
    });
}

}  // namespace

void AddRdCommand(CLI::App& app, const SessionOptions& options, int& exitStatus) {
    auto* rd = app.add_subcommand(
        "rd", "Engineering functions of the older bridges: update, erase or back up the flash");
    rd->require_subcommand(1);
    auto rdOptions = std::make_shared<RdOptions>();
    rd->add_option("--device", rdOptions->device,
                   "Device node (default: the first USB storage device listed)");
    rd->add_option("--firmware-size", rdOptions->firmwareSize,
                   "Bytes to erase or back up on external flash: 32KB 64KB 128KB 256KB 512KB 1MB")
        ->transform(CLI::CheckedTransformer(kFirmwareSizes, CLI::ignore_case))
        ->default_str("64KB");
    rd->add_option("--page-size", rdOptions->pageSize,
                   "Transfer page of the external-flash paths: 32KB 16KB 8KB 4KB 2KB")
        ->transform(CLI::CheckedTransformer(kPageSizes, CLI::ignore_case))
        ->default_str("16KB");
    rd->add_option("--backup-file", rdOptions->backupFile,
                   "Backup file (default: oldflash.bak in the current directory)");
    rd->add_flag("--a1-chip", rdOptions->a1Chip,
                 "Internal-ROM chips: an A1 chip, sent no switch to its internal ROM");
    rd->add_option("--parallel-flash", rdOptions->parallelFlash,
                   "Internal-ROM chips: the parallel flash part, atmel (ATMELAT 49BV512), pmc "
                   "(PMC OM39LV512) or sst (SST SST39LF512)")
        ->transform(CLI::CheckedTransformer(kParallelFlashParts, CLI::ignore_case))
        ->default_str("atmel");
    AddAction(*rd, "update", "Program the embedded image for the chip", RdAction::Update, options,
              rdOptions, exitStatus);
    AddAction(*rd, "erase", "Erase the flash only", RdAction::Erase, options, rdOptions,
              exitStatus);
    AddAction(*rd, "backup", "Save the flash to the backup file", RdAction::Backup, options,
              rdOptions, exitStatus);
}

}  // namespace kxt::cli
