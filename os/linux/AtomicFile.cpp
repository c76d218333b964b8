#include "os/linux/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>
#include <vector>

#include "os/linux/UniqueFd.h"

namespace kxt::os::linux_impl {
namespace {

std::string Reason(const std::string& what, int code) {
    return what + ": " + std::strerror(code);
}

bool WriteAll(int fd, std::span<const std::uint8_t> bytes, std::string& error) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0) {
            error = Reason("write", errno);
            return false;
        }
        bytes = bytes.subspan(static_cast<std::size_t>(written));
    }
    return true;
}

// The permissions a new file gets under the process's umask.
mode_t NewFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// A descriptor that is closed on every path, and whose close can be checked.
class WrittenFile {
public:
    explicit WrittenFile(int fd) : fd_(fd) {}
    WrittenFile(const WrittenFile&) = delete;
    WrittenFile& operator=(const WrittenFile&) = delete;
    ~WrittenFile() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int Get() const { return fd_; }
    bool Valid() const { return fd_ >= 0; }
    bool Close() { return ::close(std::exchange(fd_, -1)) == 0; }

private:
    int fd_;
};

// Removes the temporary file unless it was renamed into place.
class TemporaryName {
public:
    explicit TemporaryName(std::string path) : path_(std::move(path)) {}
    TemporaryName(const TemporaryName&) = delete;
    TemporaryName& operator=(const TemporaryName&) = delete;
    ~TemporaryName() {
        if (!kept_)
            ::unlink(path_.c_str());
    }
    const std::string& Path() const { return path_; }
    void Keep() { kept_ = true; }

private:
    std::string path_;
    bool kept_ = false;
};

void SyncDirectory(const std::filesystem::path& directory) {
    const UniqueFd fd(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.Valid())
        ::fsync(fd.Get());
}

}  // namespace

bool WriteFileAtomically(const std::filesystem::path& file, std::span<const std::uint8_t> bytes,
                         std::string& error) {
    if (!file.has_filename()) {
        error = "no file name";
        return false;
    }
    const std::filesystem::path directory = file.has_parent_path() ? file.parent_path() : ".";
    std::string pattern = (directory / ("." + file.filename().string() + ".XXXXXX")).string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    WrittenFile fd(::mkostemp(name.data(), O_CLOEXEC));
    if (!fd.Valid()) {
        error = Reason("cannot create a file in " + directory.string(), errno);
        return false;
    }
    TemporaryName temporary(name.data());
    if (::fchmod(fd.Get(), NewFileMode()) != 0) {
        error = Reason("chmod", errno);
        return false;
    }
    if (!WriteAll(fd.Get(), bytes, error))
        return false;
    if (::fsync(fd.Get()) != 0) {
        error = Reason("fsync", errno);
        return false;
    }
    if (!fd.Close()) {
        error = Reason("close", errno);
        return false;
    }
    if (::rename(temporary.Path().c_str(), file.c_str()) != 0) {
        error = Reason("cannot rename into " + file.string(), errno);
        return false;
    }
    temporary.Keep();
    SyncDirectory(directory);
    return true;
}

}  // namespace kxt::os::linux_impl
