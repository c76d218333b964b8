#pragma once

#include <functional>
#include <string>
#include <vector>

#include "gui/WindowActions.h"

namespace kxt::testing {

// Records each action the window forwards as one line, e.g. "RdCheckBox 1".
class RecordingActions : public gui::WindowActions {
  public:
    void OnEraseButton() override { Add("EraseButton"); }
    void OnExit() override { Add("Exit"); }
    void OnCloseRequested() override {
        Add("CloseRequested");
        if (onCloseRequested) {
            onCloseRequested();
        }
    }
    void OnRefreshButton() override { Add("RefreshButton"); }
    void OnRdCheckBox(bool checked) override { Add("RdCheckBox", checked); }
    void OnEraseOnlyCheck(bool checked) override { Add("EraseOnlyCheck", checked); }
    void OnBackupFwCheck(bool checked) override { Add("BackupFwCheck", checked); }
    void OnA1ChipCheck(bool checked) override { Add("A1ChipCheck", checked); }
    void OnNvramCheck(bool checked) override { Add("NvramCheck", checked); }
    void OnLoad() override { Add("Load"); }
    void OnBrowse() override { Add("Browse"); }
    void OnRun() override { Add("Run"); }
    void OnDeviceListChanged(int index) override { Add("DeviceList", index); }
    void OnFlashTypeChanged(int index) override { Add("FlashType", index); }
    void OnFwSizeChanged(int index) override { Add("FwSize", index); }
    void OnPgSizeChanged(int index) override { Add("PgSize", index); }
    void OnFirmwareFileEdited(const std::string& text) override {
        calls.push_back("FirmwareFile " + text);
    }
    void OnBackupFileEdited(const std::string& text) override {
        calls.push_back("BackupFile " + text);
    }

    std::vector<std::string> calls;
    std::function<void()> onCloseRequested;

  private:
    void Add(const char* name) { calls.emplace_back(name); }
    void Add(const char* name, int value) {
        calls.push_back(std::string(name) + " " + std::to_string(value));
    }
};

}  // namespace kxt::testing
