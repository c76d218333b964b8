#pragma once

#include <CLI/CLI.hpp>

namespace kxt::cli {

// `kxtfw inspect FILE` or `kxtfw inspect --embedded TYPE/NAME`: the layout of a
// KXT850 firmware image; exit status 1 when it is broken.
void AddInspectCommand(CLI::App& app, int& exitStatus);

}  // namespace kxt::cli
