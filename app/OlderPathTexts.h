#pragma once

#include <string_view>

// Every text the older update paths (external flash, NVRAM family, internal ROM)
// show, in one place. They are the texts their users know, letter for letter,
// misspellings and line ends included.
namespace kxt::app::texts {

// Shared by several paths.
inline constexpr std::string_view kMessageCaption = "Message";
inline constexpr std::string_view kDefaultBackupFile = "oldflash.bak";
inline constexpr std::string_view kDefaultBackupNotice = "Default backup firmware as OldFalsh.bak!";
inline constexpr std::string_view kBackingUp = "Backup ...";
inline constexpr std::string_view kBackupSuccess = "Read flash and backup success!";
inline constexpr std::string_view kStartEraseOnly = "Start Erase only!";
inline constexpr std::string_view kAllocateReadBufferError = "Allocate read buffer Error!!";
inline constexpr std::string_view kLoadDefaultFwError = "Load defaut Fw file Error!!";
inline constexpr std::string_view kProgrammingFail = "Programming Fail!!";
inline constexpr std::string_view kProgrammingSuccess = "Programming Success!!";
inline constexpr std::string_view kProgressDot = ".";
inline constexpr std::string_view kDeviceInitialNotReady = "0.1 Device initial not ready!!";

// External flash.
inline constexpr std::string_view kPowerCycleNotice =
    "Please Turn-Off the Power and Turn-On Again!";
inline constexpr std::string_view kEraseCommandFail = "Erase command fail!!";
inline constexpr std::string_view kNotReadyAfterErase = "Not ready after Erase flash success";
inline constexpr std::string_view kNotReadyAfterEraseCommand =
    "Not ready after Erase flash cmd success";
inline constexpr std::string_view kAmicTypeNotSupported = "Not Support this AMIC Flash Type!!";
inline constexpr std::string_view kReadBackErasedError = "Read Back Erased Flash Error!!";
inline constexpr std::string_view kDataNotErased = "Data not 0xff !!";
inline constexpr std::string_view kFinalReadFail = "Read Fail!!\r\n";
inline constexpr std::string_view kFinalCompareFail = "Compare Fail!!\r\n\r\n";
inline constexpr std::string_view kEraseAllFlashSuccess = "Erase flash all success!";
inline constexpr std::string_view kErasing = "Erase...";
inline constexpr std::string_view kReadBackToBackupError = "Read Back to Backup Error!!";
inline constexpr std::string_view kOpenBackupFileError = "Open Backup File Error!!";

// NVRAM family.
inline constexpr std::string_view kAllocateBuffersError = "Allocate buffers Error!!";
inline constexpr std::string_view kBackupNvramFail = "Backup NVRAM command fail!";
inline constexpr std::string_view kWriteCommandFail = "Write command fail!";

// Internal ROM.
inline constexpr std::string_view kCannotSwitchToRom = "Can't switch to internal ROM";
inline constexpr std::string_view kPreEraseError = "Error pre-erase command!!";
inline constexpr std::string_view kEraseOkStatusFail = "Erase command ok,status fail!!";
inline constexpr std::string_view kEraseOk = "Erase command ok!!";
inline constexpr std::string_view kNotErasedCorrectly = "Not Erase correctly!";
inline constexpr std::string_view kRomReadFail = "Read Fail!!";
inline constexpr std::string_view kRomCompareFail = "Compare Fail!!";
inline constexpr std::string_view kProgramAndCompareSuccess = "Programming & Compare Success!!";
inline constexpr std::string_view kReadBackAfterEraseFail = "Read Back after Erase fail!!";
inline constexpr std::string_view kEraseAllRomSuccess = "Erase All success!!";
inline constexpr std::string_view kReadRomFail = "Read ROM fail!!";
inline constexpr std::string_view kSaveRomFileFail = "Read ROM Suceess, but save to file fail!!";

// Our own, for the cases where the older tools said nothing or went wrong.
inline constexpr std::string_view kImageTooLargeForPages = "Fw file too large for this page size!!";
inline constexpr std::string_view kRomImageTooLarge = "Fw file larger than 64KB!!";
inline constexpr std::string_view kNvramCopyNotSaved = "Save NVRAM to file fail!! Nothing erased: ";
inline constexpr std::string_view kNvramCopySavedAs = "NVRAM saved as ";

}  // namespace kxt::app::texts
