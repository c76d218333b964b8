#include "app/InternalRomUpdate.h"

#include <algorithm>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "app/AtomicFileWrite.h"
#include "app/BackupFile.h"
#include "app/OlderPathTexts.h"

namespace kxt::app {
namespace {

constexpr std::string_view kImageType = "FW";
constexpr std::string_view kImageName = "FW719";
constexpr std::size_t kRomSize = 65536;
constexpr int kIdlePolls = 100 * 500;

void Report(SharedWindowState& window, std::string_view text) {
    window.SetStatus(std::string(text));
}

// The image to program, checked before the device is touched: without one, the
// erase would leave the chip with nothing to boot.
std::optional<std::span<const std::uint8_t>> RomImage(SharedWindowState& window) {
    const auto image = window.GetPlatform().firmware.Find(kImageType, kImageName);
    if (!image || image->empty()) {
        Report(window, texts::kLoadDefaultFwError);
        return std::nullopt;
    }
    if (image->size() > kRomSize) {
        Report(window, texts::kRomImageTooLarge);
        return std::nullopt;
    }
    return image;
}

// False only where the update must stop: a refused erase sequence or a flash that
// is not blank. Every other outcome goes on to programming, whose comparison
// judges the result.
bool EraseBeforeProgramming(SharedWindowState& window, const os::DevicePath& path,
                            device::ParallelFlashType type, std::span<std::uint8_t> readBack) {
    const os::Platform& p = window.GetPlatform();
    if (!device::LoadRomEraseSequence(p, path, type)) {
        Report(window, texts::kPreEraseError);
        return false;
    }
    if (!device::StartRomErase(p, path)) {
        return true;
    }
    if (!WaitRomIdle(p, path)) {
        Report(window, texts::kEraseOkStatusFail);
        return true;
    }
    Report(window, texts::kEraseOk);
    if (!device::ReadRom(p, path, 0, readBack)) {
        return true;
    }
    if (!AllErased(readBack)) {
        Report(window, texts::kNotErasedCorrectly);
        return false;
    }
    return true;
}

int ProgramAndCompare(SharedWindowState& window, const os::DevicePath& path,
                      device::ParallelFlashType type, std::span<const std::uint8_t> image) {
    const os::Platform& p = window.GetPlatform();
    std::vector<std::uint8_t> readBack;
    try {
        readBack.assign(kRomSize, 0);
    } catch (const std::bad_alloc&) {
        Report(window, texts::kAllocateReadBufferError);
        return 0;
    }
    if (!EraseBeforeProgramming(window, path, type, readBack)) {
        return 0;
    }
    WaitRomIdle(p, path);
    if (!device::ProgramRom(p, path, image, type)) {
        Report(window, texts::kProgrammingFail);
        return 0;
    }
    Report(window, texts::kProgrammingSuccess);
    WaitRomIdle(p, path);
    const auto programmed = std::span(readBack).first(image.size());
    if (!device::ReadRom(p, path, 0, programmed)) {
        Report(window, texts::kRomReadFail);
        return 0;
    }
    const bool same = std::equal(image.begin(), image.end(), programmed.begin());
    Report(window, same ? texts::kProgramAndCompareSuccess : texts::kRomCompareFail);
    return same ? 1 : 0;
}

}  // namespace

int UpdateInternalRom(SharedWindowState& window, const os::DevicePath& path,
                      device::ParallelFlashType type) {
    std::span<const std::uint8_t> image;
    if (window.EraseOnly == 0 && !window.BackupFWCheckBox.checked) {
        const auto found = RomImage(window);
        if (!found) {
            return 0;
        }
        image = *found;
    }
    if (!window.A1ChipCheck.checked && !device::SwitchToInternalRom(window.GetPlatform(), path)) {
        Report(window, texts::kCannotSwitchToRom);
        return 0;
    }
    if (window.EraseOnly != 0) {
        return EraseInternalRom(window, path, type);
    }
    if (window.BackupFWCheckBox.checked) {
        return BackupInternalRom(window, path);
    }
    return ProgramAndCompare(window, path, type, image);
}

int EraseInternalRom(SharedWindowState& window, const os::DevicePath& path,
                     device::ParallelFlashType type) {
    const os::Platform& p = window.GetPlatform();
    Report(window, texts::kStartEraseOnly);
    if (!device::LoadRomEraseSequence(p, path, type)) {
        Report(window, texts::kPreEraseError);
        return 0;
    }
    // A refused erase leaves the flash as it was: no success, although the status
    // field has nothing more to say.
    if (!device::StartRomErase(p, path)) {
        return 0;
    }
    if (!WaitRomIdle(p, path)) {
        Report(window, texts::kEraseOkStatusFail);
        return 1;
    }
    Report(window, texts::kEraseOk);
    std::vector<std::uint8_t> readBack;
    try {
        readBack.assign(kRomSize, 0);
    } catch (const std::bad_alloc&) {
        Report(window, texts::kAllocateReadBufferError);
        return 0;
    }
    if (!device::ReadRom(p, path, 0, readBack)) {
        Report(window, texts::kReadBackAfterEraseFail);
        return 1;
    }
    if (!AllErased(readBack)) {
        Report(window, texts::kNotErasedCorrectly);
        return 0;
    }
    Report(window, texts::kEraseAllRomSuccess);
    return 1;
}

int BackupInternalRom(SharedWindowState& window, const os::DevicePath& path) {
    const std::filesystem::path file = ChooseBackupFile(window);
    Report(window, texts::kBackingUp);
    std::vector<std::uint8_t> flash;
    try {
        flash.assign(kRomSize, 0);
    } catch (const std::bad_alloc&) {
        Report(window, texts::kAllocateReadBufferError);
        return 0;
    }
    if (!device::ReadRom(window.GetPlatform(), path, 0, flash)) {
        Report(window, texts::kReadRomFail);
        return 0;
    }
    if (!WriteFileAtomically(file, flash)) {
        Report(window, texts::kSaveRomFileFail);
        return 0;
    }
    Report(window, texts::kBackupSuccess);
    return 1;
}

bool WaitRomIdle(const os::Platform& p, const os::DevicePath& path) {
    for (int poll = 0; poll < kIdlePolls; ++poll) {
        if (!device::IsRomBusy(p, path)) {
            return true;
        }
    }
    return false;
}

}  // namespace kxt::app
