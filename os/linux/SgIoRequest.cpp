#include "os/linux/SgIoRequest.h"

#include <cerrno>
#include <cstring>

namespace kxt::os::linux_impl {
namespace {

// The driver byte sits in the low nibble; DRIVER_SENSE (8) only says that sense
// data is attached, the values 1 to 7 are transport failures.
constexpr unsigned kDriverErrorMask = 0x07;

int DirectionOf(const ScsiCommand& command) {
    if (command.DataLength() == 0) {
        return SG_DXFER_NONE;
    }
    return command.direction == DataDirection::In ? SG_DXFER_FROM_DEV : SG_DXFER_TO_DEV;
}

}  // namespace

sg_io_hdr_t BuildSgIoHeader(const ScsiCommand& command, std::span<unsigned char> sense) {
    sg_io_hdr_t header;
    std::memset(&header, 0, sizeof header);
    header.interface_id = 'S';
    header.dxfer_direction = DirectionOf(command);
    // The kernel only reads the command block; the header type is not const-correct.
    header.cmdp = const_cast<unsigned char*>(command.cdb.data());
    header.cmd_len = static_cast<unsigned char>(command.cdb.size());
    // Likewise the kernel only reads a data-out buffer.
    void* data = command.direction == DataDirection::In
                     ? static_cast<void*>(command.dataIn.data())
                     : const_cast<std::uint8_t*>(command.dataOut.data());
    header.dxferp = command.DataLength() == 0 ? nullptr : data;
    header.dxfer_len = static_cast<unsigned int>(command.DataLength());
    header.sbp = sense.data();
    header.mx_sb_len = static_cast<unsigned char>(sense.size());
    header.timeout = command.timeoutSeconds * 1000U;
    return header;
}

ScsiCompletion InterpretSgIoResult(int ioctlResult, int ioctlErrno, const sg_io_hdr_t& header) {
    ScsiCompletion completion;
    if (ioctlResult != 0) {
        completion.errorCode = ioctlErrno != 0 ? ioctlErrno : EIO;
        return completion;
    }
    completion.transferred = static_cast<std::int32_t>(header.dxfer_len) - header.resid;
    if (header.host_status != 0 || (header.driver_status & kDriverErrorMask) != 0) {
        completion.errorCode = EIO;
        return completion;
    }
    completion.completed = true;
    return completion;
}

}  // namespace kxt::os::linux_impl
