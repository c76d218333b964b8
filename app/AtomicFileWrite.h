#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string_view>

namespace kxt::app {

// Writes `bytes` to `target` completely or not at all: a temporary file beside
// the target is written, flushed, closed and its size checked before it is
// renamed over the target. False when any step fails; the target is then as it
// was and the temporary file is gone.
bool WriteFileAtomically(const std::filesystem::path& target, std::span<const std::uint8_t> bytes);

// A name in `directory` that no file has yet: stem + extension, else
// stem-1 + extension, stem-2 ... Nothing when every candidate is taken.
std::optional<std::filesystem::path> UnusedFileName(const std::filesystem::path& directory,
                                                    std::string_view stem,
                                                    std::string_view extension);

}  // namespace kxt::app
