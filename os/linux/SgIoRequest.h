#pragma once

#include <scsi/sg.h>

#include <span>

#include "os/ScsiPassThrough.h"

namespace kxt::os::linux_impl {

// The SG_IO header for one command. Kept free of any system call so that what
// goes to the kernel can be checked in a test.
sg_io_hdr_t BuildSgIoHeader(const ScsiCommand& command, std::span<unsigned char> sense);

// Judges a finished SG_IO call: completed when the ioctl succeeded and neither the
// host adapter nor the driver reported a transport error. The SCSI status and the
// sense data are not looked at: a device that rejects a command has still
// completed it.
ScsiCompletion InterpretSgIoResult(int ioctlResult, int ioctlErrno, const sg_io_hdr_t& header);

}  // namespace kxt::os::linux_impl
