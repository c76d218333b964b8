#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The window's controls as plain data: what each one shows and whether it can be
// used. The handlers change them; a view (Qt window, terminal) only draws them.
// Initial values are the designed ones, before construction runs the first scan.
namespace kxt::app {

enum class FontColour { Black, Red };

struct Label {
    std::string text;
    FontColour colour = FontColour::Black;
    bool shown = true;
};

struct Button {
    std::string text;
    bool shown = true;
    bool enabled = true;
};

struct ListBox {
    std::vector<std::string> items;
    int index = -1;  // selected item, -1 for none
    bool shown = true;
    bool enabled = true;
};

struct Edit {
    std::string label;
    std::string text;
    bool shown = true;
    bool enabled = true;
};

struct CheckBox {
    std::string text;
    bool checked = false;
    bool shown = true;
    bool enabled = true;
    int tag = 0;
};

struct ProgressBar {
    int position = 0;  // 0 to 100
    bool shown = false;
};

struct Panel {
    bool shown = false;
};

inline constexpr int kClientWidth = 411;
inline constexpr int kDesignedClientHeight = 229;
inline constexpr int kRdPanelHeight = 129;

struct WindowControls {
    // What the user sees.
    Label devLable{"Click \u2018Yes\u2019 to proceed with the firmware update"};
    Label replugLable1{"Please power cycle the device", FontColour::Black, false};
    ProgressBar FwUpdatBar;
    Button EraseButton{"YES"};
    Button ExtBtn{"EXIT", false};
    Button ExitBtn{"NO"};

    // The engineering controls, hidden in normal use.
    CheckBox RdCheckBox{"RD Version", false, false};
    Panel RdPanel;
    Button RefreshBtn{"Refresh Device", false};
    ListBox DeviceList{{}, -1, false};
    Edit ChipLabelEdit{"Chip ", "", false, true};
    Edit DiskLetterLable{"Drives ", "", false, true};
    Edit FwVerLableEdit{"Firmware Ver. ", "", false, true};
    Edit SFlashTypeLable{"Flash Type", "", true, true};
    Edit StatusEdit{"Status ", "", false, true};
    Edit FwFilenameEdit{"Firmware File ", "", false, true};
    Button LoadBtn{"Load File", false};
    Button UpdateBtn{"Run", false, false};
    ListBox FlashTypeList{{"ATMELAT 49BV512", "PMC OM39LV512", "SST SST39LF512"}, 0, false};
    ListBox FwPgSizeCheck{{"32 KB", "16 KB", " 8 KB", " 4 KB", " 2 KB"}, 1, false};
    Label FlashTypeLabel{"Flash Type ", FontColour::Black, false};
    Label diskLabel{"USB Disk", FontColour::Black, false};
    Label Label1{"Transfer PgSzie", FontColour::Black, false};
    Panel Panel1;

    // Inside the engineering panel.
    CheckBox A1ChipCheck{"A1 Chip"};
    CheckBox EraseOnlyCheck{"Erase All Flash Only ", false, true, true, 0};
    CheckBox NVRAMCheck{"Include 4K NVRAM"};
    CheckBox BackupFWCheckBox{"Backup Old Firmware Only", false, true, true, 1};
    Button BackupBtn{"Browse"};
    ListBox FwSizeCheck{{"32KB", "64KB", "128KB", "256KB", "512KB", "   1MB"}, 0};
    Label FwSizeLable{"Firmware size"};
    Edit BackupFileEdit{"Backup FileName ", ""};

    int clientHeight = kDesignedClientHeight;
};

}  // namespace kxt::app
