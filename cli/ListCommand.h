#pragma once

#include <CLI/CLI.hpp>

#include "cli/Session.h"

namespace kxt::cli {

// `kxtfw list`: every USB storage device found, with the chip behind it.
void AddListCommand(CLI::App& app, const SessionOptions& options, int& exitStatus);

}  // namespace kxt::cli
