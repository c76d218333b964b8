#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "app/SharedWindowState.h"
#include "device/ChipIdentification.h"
#include "device/FlashTypes.h"

namespace kxt::app {

inline constexpr std::size_t kDeviceTableSize = 16;

// Engineering: "RD Version" is offered, the scan lists every bridge it can name
// (not only those that need the update), and the open panel brings the Run,
// file and device controls with it, so the older update paths can be reached on
// purpose. Normal is the window as users see it.
enum class WindowMode { Normal, Engineering };

struct DeviceTableEntry {
    os::DevicePath path;       // lower case
    std::string driveLetters;  // shown in "Drives "; nothing fills it
};

// The main window as state: its controls (inherited), the devices of the last
// scan and the handlers behind its buttons. Views draw it and call the handlers;
// every handler runs to its end before the next one starts.
class TK71xFwTool : public SharedWindowState {
public:
    // Builds the window as designed, runs the first scan and closes the
    // engineering panel, as the window does before it is first shown.
    TK71xFwTool(const os::Platform& platform, ProcessSettings& settings,
                WindowObserver* observer = nullptr, WindowMode mode = WindowMode::Normal);
    // Releases vendor mode on the devices of the last scan's release list.
    ~TK71xFwTool();
    TK71xFwTool(const TK71xFwTool&) = delete;
    TK71xFwTool& operator=(const TK71xFwTool&) = delete;

    // The scan: lists the bridges that need the update and sets *ready* or
    // *nothing to update*.
    void RefreshBtnClick();
    // The readiness check of the selected device.
    void UpdateBtnCheck();
    // "YES": updates the selected device.
    void EraseButtonClick();
    // "NO" and "EXIT": the view closes the window when CloseRequested() turns true.
    void ExitBtnClick() { closeRequested_ = true; }
    bool CloseRequested() const { return closeRequested_; }

    // The engineering panel. The view sets a control's new state (checked, chosen
    // item) first, then calls its handler.
    // "RD Version": opens or closes the panel.
    void RdCheckBoxClick();
    // "Erase All Flash Only " (tag 0) and "Backup Old Firmware Only" (tag 1).
    void EraseOnlyCheckClick(CheckBox& sender);
    void LoadBtnClick();
    void BackupBtnClick();
    // "Run": the older update paths, by chip class.
    void UpdateBtnClick();
    void FwSizeCheckChange();
    void FwPgSizeCheckChange();

    bool IsUpdatableChip(const os::DevicePath& path);
    bool IsFirmwareCurrent(const os::DevicePath& path);

    // Paths that discovery found but the 16-entry table could not hold.
    std::size_t DevicesLeftOut() const { return devicesLeftOut_; }
    // Listed devices (items of the device list that name a device).
    std::size_t ListedDevices() const { return listed_; }

    std::array<DeviceTableEntry, kDeviceTableSize> DeviceTable{};
    std::int32_t DeviceCount = 0;
    std::vector<os::DevicePath> ReleaseList;
    device::ChipIdentity ChipId = 0;

private:
    const os::DevicePath* SelectedPath() const;
    void ShowNoDevicesDiscovered();
    void ExamineDevices(std::vector<os::DevicePath>& paths, bool& alreadyUpdatedSeen);
    void ShowScanResult(bool alreadyUpdatedSeen);
    void ShowFlashType(const os::DevicePath& path);
    void ShowFirmwareVersion(const os::DevicePath& path);
    bool RunUpdate(const os::DevicePath& path);
    bool UpdateKXT861(const os::DevicePath& path, std::uint8_t revision);
    bool UpdateKXT850(const os::DevicePath& path);
    void ShowUpdateResult(bool updated, const os::DevicePath& path);
    // The engineering panel's dispatch by class; the result is not used.
    void RunOlderPath(const os::DevicePath& path);
    // The file dialog of "Load File" and "Browse"; true when a file was chosen.
    bool ChooseFileInto(Edit& field);
    // The end of a run: a scan held back during it runs now.
    void EndOperation();
    // False, with the reason in a message box, when this build must not program
    // the device (stand-in firmware, real hardware).
    bool ProgrammingAllowed();

    // One handler at a time: a click that arrives inside a run (through a view that
    // lets events through) is dropped, a scan is held back until the run has shown
    // its end.
    void ShowEngineeringControls(bool shown);

    WindowMode mode_ = WindowMode::Normal;
    bool busy_ = false;
    bool rescanDue_ = false;
    bool closeRequested_ = false;
    std::size_t listed_ = 0;
    std::size_t devicesLeftOut_ = 0;
};

}  // namespace kxt::app
