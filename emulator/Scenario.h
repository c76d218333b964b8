#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>

#include "emulator/EmulatedBus.h"

namespace kxt::emulator {

// A scenario file that cannot be used; the message names the file and the field.
class ScenarioError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Adds the devices that a scenario describes to the bus (format: docs/emulator.md).
// Throws ScenarioError for unreadable files, malformed JSON, unknown keys and bad values.
void LoadScenarioFile(const std::filesystem::path& file, EmulatedBus& bus);

// The same from text; `source` names it in messages, `baseDirectory` resolves flash files.
void LoadScenarioText(const std::string& text, const std::string& source,
                      const std::filesystem::path& baseDirectory, EmulatedBus& bus);

}  // namespace kxt::emulator
