#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace kxt::os::linux_impl {

// Writes `bytes` to `file` completely or not at all: they go to a new file beside it,
// reach the disk, and only then take the file's name (replacing an older file). On
// failure the old file, if any, is untouched, no partial file is left, and `error`
// says what went wrong.
bool WriteFileAtomically(const std::filesystem::path& file, std::span<const std::uint8_t> bytes,
                         std::string& error);

}  // namespace kxt::os::linux_impl
