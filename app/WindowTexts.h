#pragma once

#include <string_view>

// Every text the window shows, in one place. The blanks are part of the texts:
// they centre the red messages in the designed label.
namespace kxt::app::texts {

inline constexpr std::string_view kReady = "Click 'Yes' to proceed with the firmware update";
inline constexpr std::string_view kAlreadyUpdated = "               The chip already updated!!";
inline constexpr std::string_view kNoDeviceFound = "                 No device found!!";
inline constexpr std::string_view kUpdateFailed = "                     Update    fail!!";
inline constexpr std::string_view kWaitReattach = "Please wait device re-attached!";
inline constexpr std::string_view kPowerCycle = "Please power cycle the device";
inline constexpr std::string_view kAutoResetBox = "KXT850 Auto reset, Please wait device re-attached!";

inline constexpr std::string_view kNoAvailableDevice = "No available device!!!";
inline constexpr std::string_view kListItemPrefix = "<<USB>> ";
inline constexpr std::string_view kNotSupported = "The chip not support Firmware Update!";
inline constexpr std::string_view kNotKavrixChip = "Not Kavrix Chip!!";
inline constexpr std::string_view kFileMismatch = "The firmware file seems not match this chip!";
inline constexpr std::string_view kAmic = "AMIC";

inline constexpr std::string_view kMessageCaption = "Message";
inline constexpr std::string_view kErrorCaption = "Error";

inline constexpr std::string_view kApplicationTitle = "Kavrix KXT850 Firmware Update Utility";
inline constexpr std::string_view kWindowCaption = "Kavrix KXT850 Firmware Update Utility v0.2";

}  // namespace kxt::app::texts
