#include "os/linux/LinuxScsiPassThrough.h"

#include <fcntl.h>
#include <sys/ioctl.h>

#include <array>
#include <cerrno>

#include "os/linux/SgIoRequest.h"
#include "os/linux/UniqueFd.h"

namespace kxt::os::linux_impl {
namespace {

constexpr std::size_t kSenseLength = 32;

class SgIoHandle final : public ScsiHandle {
public:
    SgIoHandle(UniqueFd fd, DevicePath path, LinuxScsiPassThrough& owner)
        : fd_(std::move(fd)), path_(std::move(path)), owner_(owner) {}

    ScsiCompletion Submit(const ScsiCommand& command) override {
        std::array<unsigned char, kSenseLength> sense{};
        sg_io_hdr_t header = BuildSgIoHeader(command, sense);
        errno = 0;
        const int result = ::ioctl(fd_.Get(), SG_IO, &header);
        const int error = result == 0 ? 0 : errno;
        // Without CAP_SYS_RAWIO the kernel's command filter refuses vendor opcodes.
        if (error == EPERM || error == EACCES) {
            owner_.RecordDenial(path_);
        }
        return InterpretSgIoResult(result, error, header);
    }

private:
    UniqueFd fd_;
    DevicePath path_;
    LinuxScsiPassThrough& owner_;
};

int SystemOpen(const char* path, int flags) { return ::open(path, flags); }

}  // namespace

LinuxScsiPassThrough::LinuxScsiPassThrough() : LinuxScsiPassThrough(SystemOpen) {}

LinuxScsiPassThrough::LinuxScsiPassThrough(OpenFunction open) : open_(std::move(open)) {}

OpenResult LinuxScsiPassThrough::Open(const DevicePath& path, ShareMode mode) {
    // O_NONBLOCK keeps an exclusive open of a busy sg node from waiting; SG_IO
    // itself stays synchronous.
    int flags = O_RDWR | O_NONBLOCK | O_CLOEXEC;
    if (mode == ShareMode::Exclusive) {
        flags |= O_EXCL;
    }
    errno = 0;
    UniqueFd fd(open_(path.c_str(), flags));
    if (!fd.Valid()) {
        const int error = errno != 0 ? errno : EIO;
        if (error == EACCES || error == EPERM) {
            RecordDenial(path);
        }
        return OpenResult{nullptr, error};
    }
    return OpenResult{std::make_unique<SgIoHandle>(std::move(fd), path, *this), 0};
}

std::vector<DevicePath> LinuxScsiPassThrough::PermissionDenials() const {
    std::lock_guard lock(mutex_);
    return {denied_.begin(), denied_.end()};
}

void LinuxScsiPassThrough::RecordDenial(const DevicePath& path) {
    std::lock_guard lock(mutex_);
    denied_.insert(path);
}

}  // namespace kxt::os::linux_impl
