#pragma once

#include <string>
#include <vector>

#include "app/WindowControls.h"

// The window's five states as the user sees them, set up control by control, for
// pictures and for tests of the view.
namespace kxt::gui::samples {

struct SampleState {
    std::string name;  // file name without extension
    app::WindowControls controls;
};

inline constexpr const char* kReadyText = "Click 'Yes' to proceed with the firmware update";
inline constexpr const char* kAlreadyUpdatedText = "               The chip already updated!!";
inline constexpr const char* kNoDeviceText = "                 No device found!!";
inline constexpr const char* kUpdateFailText = "                     Update    fail!!";
inline constexpr const char* kReattachText = "Please wait device re-attached!";

// The controls once construction has closed the engineering panel.
app::WindowControls Constructed();

app::WindowControls Ready();
app::WindowControls NothingToUpdate(const char* text);
app::WindowControls Updating(int position);
app::WindowControls Updated(const char* text);
app::WindowControls UpdateFailed();

// Every state, "nothing to update" with both of its texts.
std::vector<SampleState> AllStates();

}  // namespace kxt::gui::samples
