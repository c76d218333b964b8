#include "app/AtomicFileWrite.h"

#include <fstream>
#include <string>

namespace kxt::app {
namespace {

namespace fs = std::filesystem;

constexpr unsigned kMaxNameAttempts = 1000;
constexpr std::string_view kTemporaryExtension = ".part";

bool Taken(const fs::path& candidate) {
    std::error_code error;
    return fs::exists(fs::symlink_status(candidate, error));
}

// True only when every byte reached the file and the file closed cleanly.
bool WriteAndClose(const fs::path& file, std::span<const std::uint8_t> bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (!out) {
        return false;
    }
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.flush();
    out.close();
    if (!out) {
        return false;
    }
    std::error_code error;
    const std::uintmax_t size = fs::file_size(file, error);
    return !error && size == bytes.size();
}

}  // namespace

std::optional<fs::path> UnusedFileName(const fs::path& directory, std::string_view stem,
                                       std::string_view extension) {
    fs::path candidate = directory / (std::string(stem) + std::string(extension));
    for (unsigned n = 1; Taken(candidate); ++n) {
        if (n > kMaxNameAttempts) {
            return std::nullopt;
        }
        candidate =
            directory / (std::string(stem) + "-" + std::to_string(n) + std::string(extension));
    }
    return candidate;
}

bool WriteFileAtomically(const fs::path& target, std::span<const std::uint8_t> bytes) {
    // Only a file is replaced: a name that is a device node, a directory or a link
    // to something else is refused rather than swapped for a regular file.
    std::error_code status;
    const fs::file_status existing = fs::symlink_status(target, status);
    if (fs::exists(existing) && !fs::is_regular_file(existing)) {
        return false;
    }
    // Hidden and beside the target, so the rename stays within one file system.
    const std::optional<fs::path> temporary =
        UnusedFileName(target.parent_path(), "." + target.filename().string(), kTemporaryExtension);
    if (!temporary) {
        return false;
    }
    std::error_code error;
    if (!WriteAndClose(*temporary, bytes)) {
        fs::remove(*temporary, error);
        return false;
    }
    fs::rename(*temporary, target, error);
    if (error) {
        std::error_code ignored;
        fs::remove(*temporary, ignored);
        return false;
    }
    return true;
}

}  // namespace kxt::app
