#pragma once

#include <CLI/CLI.hpp>

#include "cli/Session.h"

namespace kxt::cli {

// `kxtfw rd update|erase|backup`: the engineering functions of the older bridges
// (external flash, NVRAM family, internal ROM), which the window keeps hidden.
// Prints the status field's last text; exit status 0 only on success.
void AddRdCommand(CLI::App& app, const SessionOptions& options, int& exitStatus);

}  // namespace kxt::cli
