#pragma once

#include <string_view>

#include "app/WindowControls.h"

// The window's geometry, fonts and fixed texts in one place. Rectangles are the
// left, top, right and bottom edges in client pixels (right and bottom exclusive);
// labels and check boxes give their left and top and take the size of their text.
namespace kxt::gui::layout {

struct Edges {
    int left, top, right, bottom;
    constexpr int Width() const { return right - left; }
    constexpr int Height() const { return bottom - top; }
};

struct Position {
    int left, top;
};

inline constexpr std::string_view kCaption = "Kavrix KXT850 Firmware Update Utility v0.2";
inline constexpr std::string_view kApplicationTitle = "Kavrix KXT850 Firmware Update Utility";
inline constexpr std::string_view kDesktopFileName = "kxtfw-gui";
inline constexpr std::string_view kIconResource = ":/icons/kxtfw-gui.png";
inline constexpr std::string_view kNoticeCaption = "Message";

inline constexpr int kClientWidth = app::kClientWidth;

// Fonts: family and character height in pixels. "MS Sans Serif" and "Arial" are
// mapped to metric-compatible faces where they are missing.
struct FontChoice {
    std::string_view family;
    int pixelHeight;
};
inline constexpr FontChoice kWindowFont{"MS Sans Serif", 11};
inline constexpr FontChoice kMessageFont{"Arial", 19};
inline constexpr FontChoice kButtonFont{"Arial", 13};
inline constexpr FontChoice kSizeListFont{"MS Sans Serif", 13};
inline constexpr std::string_view kMetricCompatibleFaces[] = {"Liberation Sans", "Arial"};

// What the user sees. The designed geometry overlaps on purpose: the progress bar
// lies over the message label and "EXIT" over "YES"; no state shows both.
inline constexpr Position kDevLable{8, 16};
inline constexpr Position kReplugLable1{72, 16};
inline constexpr Edges kFwUpdatBar{40, 32, 377, 57};
inline constexpr Edges kEraseButton{112, 64, 187, 89};
inline constexpr Edges kExtBtn{176, 64, 251, 89};
inline constexpr Edges kExitBtn{240, 64, 315, 89};
inline constexpr int kProgressMaximum = 100;

// Engineering controls on the window. "RD Version" sits left of "YES" so that it
// can be reached in the shrunk window; the rest fill the band below it, which the
// window shows only at its designed height.
inline constexpr Position kRdCheckBox{8, 70};
inline constexpr Position kDiskLabel{8, 104};
inline constexpr Edges kDeviceList{64, 100, 300, 121};
inline constexpr Edges kRefreshBtn{308, 99, 403, 122};
inline constexpr Edges kChipLabelEdit{40, 124, 160, 145};
inline constexpr Edges kDiskLetterLable{208, 124, 248, 145};
inline constexpr Edges kFwVerLableEdit{328, 124, 403, 145};
inline constexpr Edges kFwFilenameEdit{88, 148, 300, 169};
inline constexpr Edges kLoadBtn{308, 147, 403, 170};
inline constexpr Position kFlashTypeLabel{8, 176};
inline constexpr Edges kFlashTypeList{72, 172, 200, 193};
inline constexpr Position kLabel1{208, 176};
inline constexpr Edges kFwPgSizeCheck{292, 172, 352, 193};
inline constexpr Edges kUpdateBtn{360, 171, 403, 194};
inline constexpr Edges kSFlashTypeLable{72, 196, 200, 217};
inline constexpr Edges kStatusEdit{248, 196, 403, 217};
inline constexpr Edges kPanel1{8, 225, 345, 228};
// A labelled edit's label ends this far left of its edit.
inline constexpr int kEditLabelGap = 4;

// The engineering panel; it fills the strip that opening it adds at the bottom.
inline constexpr int kRdPanelLeft = 8;
inline constexpr int kRdPanelWidth = 345;
inline constexpr int kRdPanelHeight = app::kRdPanelHeight;

// Inside the panel, in panel pixels.
inline constexpr Position kA1ChipCheck{8, 8};
inline constexpr Position kEraseOnlyCheck{8, 28};
inline constexpr Position kNVRAMCheck{128, 28};
inline constexpr Position kBackupFWCheckBox{8, 48};
inline constexpr Edges kBackupBtn{256, 61, 331, 86};
inline constexpr Edges kFwSizeCheck{8, 72, 72, 93};
inline constexpr Position kFwSizeLable{80, 72};
inline constexpr Edges kBackupFileEdit{115, 96, 335, 117};

}  // namespace kxt::gui::layout
