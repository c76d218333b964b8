#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "os/DevicePath.h"

namespace kxt::os {

enum class ShareMode { Shared, Exclusive };

// Out with an empty buffer is a command without a data phase.
enum class DataDirection : std::uint8_t { In, Out };

struct ScsiCommand {
    std::span<const std::uint8_t> cdb;
    DataDirection direction = DataDirection::In;
    std::span<std::uint8_t> dataIn;         // filled by the device when direction is In
    std::span<const std::uint8_t> dataOut;  // sent to the device when direction is Out
    std::uint32_t timeoutSeconds = 0;

    std::size_t DataLength() const {
        return direction == DataDirection::In ? dataIn.size() : dataOut.size();
    }
};

// What the platform reports for one submitted command. `completed` means the
// request reached the device and came back without a transport error; the SCSI
// status and sense data are deliberately not part of it.
struct ScsiCompletion {
    bool completed = false;
    int errorCode = 0;  // errno-style; 0 when nothing went wrong
    std::int32_t transferred = 0;
};

// An open device. Destroying the handle closes the device.
class ScsiHandle {
public:
    virtual ~ScsiHandle() = default;
    virtual ScsiCompletion Submit(const ScsiCommand& command) = 0;
};

struct OpenResult {
    std::unique_ptr<ScsiHandle> handle;  // null when the open failed
    int errorCode = 0;
};

class ScsiPassThrough {
public:
    virtual ~ScsiPassThrough() = default;
    virtual OpenResult Open(const DevicePath& path, ShareMode mode) = 0;

    // Paths that refused a request for lack of permission (open or command), so a
    // front end can tell the user how to get access instead of "no device".
    virtual std::vector<DevicePath> PermissionDenials() const = 0;

    // True when the devices behind this pass-through are emulated, not hardware.
    virtual bool Emulated() const = 0;
};

}  // namespace kxt::os
