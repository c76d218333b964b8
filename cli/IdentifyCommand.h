#pragma once

#include <CLI/CLI.hpp>

#include "cli/Session.h"

namespace kxt::cli {

// `kxtfw identify [PATH]`: INQUIRY and the identity query, decoded.
void AddIdentifyCommand(CLI::App& app, const SessionOptions& options, int& exitStatus);

}  // namespace kxt::cli
