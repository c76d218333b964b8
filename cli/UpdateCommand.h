#pragma once

#include <CLI/CLI.hpp>

#include "cli/Session.h"

namespace kxt::cli {

// `kxtfw update [--device N] [--yes]`: the window's "YES" on one listed bridge.
void AddUpdateCommand(CLI::App& app, const SessionOptions& options, int& exitStatus);

}  // namespace kxt::cli
