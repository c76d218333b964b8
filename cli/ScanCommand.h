#pragma once

#include <CLI/CLI.hpp>

#include "cli/Session.h"

namespace kxt::cli {

// `kxtfw scan`: the window's scan, printed: the bridges that need the update and
// the window's message.
void AddScanCommand(CLI::App& app, const SessionOptions& options, int& exitStatus);

}  // namespace kxt::cli
