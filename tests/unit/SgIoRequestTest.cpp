#include "os/linux/SgIoRequest.h"

#include <gtest/gtest.h>

#include <fcntl.h>

#include <array>
#include <cerrno>

#include "device/PassThrough.h"
#include "os/linux/LinuxScsiPassThrough.h"

namespace kxt::os::linux_impl {
namespace {

constexpr std::array<std::uint8_t, 12> kCdb{0xDF, 0x10, 0x00, 0x10, 0x00};

struct HeaderCase {
    const char* name;
    DataDirection direction;
    std::size_t length;
    int expectedDirection;
};

class SgIoHeader : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(SgIoHeader, CarriesDirectionBufferLengthsAndTimeoutInMilliseconds) {
    std::array<std::uint8_t, 64> data{};
    std::array<unsigned char, 32> sense{};
    ScsiCommand command;
    command.cdb = kCdb;
    command.direction = GetParam().direction;
    if (command.direction == DataDirection::In) {
        command.dataIn = std::span(data).first(GetParam().length);
    } else {
        command.dataOut = std::span<const std::uint8_t>(data).first(GetParam().length);
    }
    command.timeoutSeconds = 20;

    const sg_io_hdr_t header = BuildSgIoHeader(command, sense);

    EXPECT_EQ(header.interface_id, 'S');
    EXPECT_EQ(header.dxfer_direction, GetParam().expectedDirection);
    EXPECT_EQ(header.cmdp, kCdb.data());
    EXPECT_EQ(header.cmd_len, 12);
    EXPECT_EQ(header.dxfer_len, GetParam().length);
    EXPECT_EQ(header.dxferp, GetParam().length == 0 ? nullptr : static_cast<void*>(data.data()));
    EXPECT_EQ(header.sbp, sense.data());
    EXPECT_EQ(header.mx_sb_len, 32);
    EXPECT_EQ(header.timeout, 20000U);
}

INSTANTIATE_TEST_SUITE_P(Directions, SgIoHeader,
                         ::testing::Values(HeaderCase{"In", DataDirection::In, 64, SG_DXFER_FROM_DEV},
                                           HeaderCase{"Out", DataDirection::Out, 64, SG_DXFER_TO_DEV},
                                           HeaderCase{"InNone", DataDirection::In, 0, SG_DXFER_NONE},
                                           HeaderCase{"OutNone", DataDirection::Out, 0, SG_DXFER_NONE}),
                         [](const auto& test) { return std::string(test.param.name); });

struct ResultCase {
    const char* name;
    int ioctlResult;
    int ioctlErrno;
    unsigned char status;
    unsigned short hostStatus;
    unsigned short driverStatus;
    int resid;
    bool completed;
    int errorCode;
    std::int32_t transferred;
};

class SgIoResult : public ::testing::TestWithParam<ResultCase> {};

TEST_P(SgIoResult, CompletedUnlessTheIoctlOrTheTransportFailed) {
    sg_io_hdr_t header{};
    header.dxfer_len = 16;
    header.status = GetParam().status;
    header.host_status = GetParam().hostStatus;
    header.driver_status = GetParam().driverStatus;
    header.resid = GetParam().resid;
    const ScsiCompletion completion =
        InterpretSgIoResult(GetParam().ioctlResult, GetParam().ioctlErrno, header);
    EXPECT_EQ(completion.completed, GetParam().completed);
    EXPECT_EQ(completion.errorCode, GetParam().errorCode);
    if (GetParam().ioctlResult == 0) {
        EXPECT_EQ(completion.transferred, GetParam().transferred);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Results, SgIoResult,
    ::testing::Values(
        ResultCase{"Good", 0, 0, 0, 0, 0, 0, true, 0, 16},
        // A rejected vendor command: CHECK CONDITION with sense attached is still completed.
        ResultCase{"CheckConditionWithSense", 0, 0, 2, 0, 8, 16, true, 0, 0},
        ResultCase{"ShortTransfer", 0, 0, 0, 0, 0, 4, true, 0, 12},
        ResultCase{"HostError", 0, 0, 0, 7, 0, 16, false, EIO, 0},
        ResultCase{"DriverTimeout", 0, 0, 0, 0, 6, 16, false, EIO, 0},
        ResultCase{"IoctlRefusedWithoutRawIo", -1, EPERM, 0, 0, 0, 0, false, EPERM, 0},
        ResultCase{"IoctlFailed", -1, EIO, 0, 0, 0, 0, false, EIO, 0}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(LinuxScsiPassThrough, AnOpenRefusedForPermissionIsReportedAndTouchesNothing) {
    int seenFlags = 0;
    LinuxScsiPassThrough scsi([&seenFlags](const char*, int flags) {
        seenFlags = flags;
        errno = EACCES;
        return -1;
    });
    std::array<std::uint8_t, 8> buffer{};
    buffer.fill(0xEE);
    std::int32_t transferred = 77;
    const device::CommandBlock block{0x12};

    EXPECT_FALSE(device::PassThroughIn(scsi, "/dev/sg7", block, buffer, transferred));
    EXPECT_EQ(transferred, 77);
    EXPECT_EQ(buffer[0], 0xEE);
    EXPECT_EQ(seenFlags & O_EXCL, 0) << "data-in opens shared";
    EXPECT_EQ(scsi.PermissionDenials(), std::vector<DevicePath>{"/dev/sg7"});

    EXPECT_FALSE(device::PassThroughOut(scsi, "/dev/sg7", block, {}, transferred));
    EXPECT_NE(seenFlags & O_EXCL, 0) << "data-out opens exclusively";
}

TEST(LinuxScsiPassThrough, AMissingDeviceIsNotAPermissionProblem) {
    LinuxScsiPassThrough scsi([](const char*, int) {
        errno = ENOENT;
        return -1;
    });
    const OpenResult result = scsi.Open("/dev/sg9", ShareMode::Shared);
    EXPECT_EQ(result.handle, nullptr);
    EXPECT_EQ(result.errorCode, ENOENT);
    EXPECT_TRUE(scsi.PermissionDenials().empty());
}

}  // namespace
}  // namespace kxt::os::linux_impl
