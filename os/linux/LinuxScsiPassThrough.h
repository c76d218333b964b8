#pragma once

#include <functional>
#include <mutex>
#include <set>

#include "os/ScsiPassThrough.h"

namespace kxt::os::linux_impl {

// SCSI pass-through with SG_IO on a /dev/sg* or block node. The open function is
// a seam for tests: some failures (EBUSY, EACCES) cannot be produced by a mocked
// device tree.
class LinuxScsiPassThrough final : public ScsiPassThrough {
public:
    using OpenFunction = std::function<int(const char* path, int flags)>;

    LinuxScsiPassThrough();
    explicit LinuxScsiPassThrough(OpenFunction open);

    OpenResult Open(const DevicePath& path, ShareMode mode) override;
    std::vector<DevicePath> PermissionDenials() const override;
    bool Emulated() const override { return false; }

    void RecordDenial(const DevicePath& path);

private:
    OpenFunction open_;
    mutable std::mutex mutex_;
    std::set<DevicePath> denied_;
};

}  // namespace kxt::os::linux_impl
