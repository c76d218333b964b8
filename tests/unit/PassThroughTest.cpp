#include "device/PassThrough.h"

#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <vector>

#include "tests/support/TestPlatform.h"

namespace kxt::device {
namespace {

// A platform double that answers every request with a fixed reply and completion,
// and remembers the request, so each staging rule can be seen in isolation.
class ScriptedPassThrough final : public os::ScsiPassThrough {
public:
    struct Seen {
        os::ShareMode mode;
        os::DataDirection direction;
        std::size_t length;
        std::uint32_t timeout;
        std::vector<std::uint8_t> dataOut;
    };

    os::OpenResult Open(const os::DevicePath&, os::ShareMode mode) override {
        if (openError != 0) return {nullptr, openError};
        lastMode = mode;
        ++openHandles;
        return {std::make_unique<Handle>(*this), 0};
    }
    std::vector<os::DevicePath> PermissionDenials() const override { return {}; }
    bool Emulated() const override { return true; }

    std::vector<std::uint8_t> reply;
    os::ScsiCompletion completion{true, 0, 0};
    int openError = 0;
    int openHandles = 0;
    int handlesOpenDuringLastSubmit = 0;
    os::ShareMode lastMode = os::ShareMode::Shared;
    std::vector<Seen> seen;

private:
    class Handle final : public os::ScsiHandle {
    public:
        explicit Handle(ScriptedPassThrough& owner) : owner_(owner) {}
        ~Handle() override { --owner_.openHandles; }
        os::ScsiCompletion Submit(const os::ScsiCommand& command) override {
            owner_.handlesOpenDuringLastSubmit = owner_.openHandles;
            owner_.seen.push_back({owner_.lastMode, command.direction, command.DataLength(),
                                   command.timeoutSeconds,
                                   {command.dataOut.begin(), command.dataOut.end()}});
            for (std::size_t i = 0; i < command.dataIn.size() && i < owner_.reply.size(); ++i) {
                command.dataIn[i] = owner_.reply[i];
            }
            return owner_.completion;
        }

    private:
        ScriptedPassThrough& owner_;
    };
};

constexpr CommandBlock kBlock{0xFF, 0x04, 0x12};
constexpr CommandBlock kChipEraseBlock{0xFF, 0x04, 0x13};

struct InLengthCase {
    std::size_t callerLength;
    std::size_t requestedLength;
};

class PassThroughInLength : public ::testing::TestWithParam<InLengthCase> {};

TEST_P(PassThroughInLength, StagesShortTransfersAndSendsOneByteAsTwo) {
    ScriptedPassThrough scsi;
    for (std::uint8_t i = 0; i < 64; ++i) scsi.reply.push_back(static_cast<std::uint8_t>(0xA0 + i));
    scsi.completion.transferred = static_cast<std::int32_t>(GetParam().requestedLength);
    std::vector<std::uint8_t> buffer(GetParam().callerLength + 1, 0xEE);  // one guard byte
    std::int32_t transferred = -1;

    ASSERT_TRUE(PassThroughIn(scsi, "dev", kBlock, std::span(buffer).first(GetParam().callerLength),
                              transferred));

    ASSERT_EQ(scsi.seen.size(), 1U);
    EXPECT_EQ(scsi.seen[0].length, GetParam().requestedLength);
    EXPECT_EQ(scsi.seen[0].direction, os::DataDirection::In);
    EXPECT_EQ(scsi.seen[0].mode, os::ShareMode::Shared);
    EXPECT_EQ(scsi.seen[0].timeout, 20U);
    EXPECT_EQ(transferred, static_cast<std::int32_t>(GetParam().requestedLength));
    for (std::size_t i = 0; i < GetParam().callerLength; ++i) {
        EXPECT_EQ(buffer[i], scsi.reply[i]) << "byte " << i;
    }
    EXPECT_EQ(buffer.back(), 0xEE) << "wrote past the caller's length";
}

INSTANTIATE_TEST_SUITE_P(Lengths, PassThroughInLength,
                         ::testing::Values(InLengthCase{0, 0}, InLengthCase{1, 2},
                                           InLengthCase{2, 2}, InLengthCase{3, 3},
                                           InLengthCase{4, 4}, InLengthCase{40, 40}));

TEST(PassThroughOut, OneByteGoesOutAsTwoWithATrailingZero) {
    ScriptedPassThrough scsi;
    const std::array<std::uint8_t, 1> data{0x5A};
    std::int32_t transferred = 0;
    ASSERT_TRUE(PassThroughOut(scsi, "dev", kBlock, data, transferred));
    ASSERT_EQ(scsi.seen.size(), 1U);
    EXPECT_EQ(scsi.seen[0].dataOut, (std::vector<std::uint8_t>{0x5A, 0x00}));
    EXPECT_EQ(scsi.seen[0].mode, os::ShareMode::Exclusive);
    EXPECT_EQ(scsi.seen[0].direction, os::DataDirection::Out);
}

TEST(PassThroughOut, LengthsThreeAndFourAndZeroAreSentAsGiven) {
    ScriptedPassThrough scsi;
    std::int32_t transferred = 0;
    const std::array<std::uint8_t, 4> data{1, 2, 3, 4};
    ASSERT_TRUE(PassThroughOut(scsi, "dev", kBlock, std::span(data).first(3), transferred));
    ASSERT_TRUE(PassThroughOut(scsi, "dev", kBlock, data, transferred));
    ASSERT_TRUE(PassThroughOut(scsi, "dev", kBlock, {}, transferred));
    EXPECT_EQ(scsi.seen[0].dataOut, (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_EQ(scsi.seen[1].dataOut, (std::vector<std::uint8_t>{1, 2, 3, 4}));
    EXPECT_EQ(scsi.seen[2].length, 0U);
}

TEST(PassThroughTimeouts, WholeChipEraseGetsAHundredSecondsOnlyWhenSentOut) {
    ScriptedPassThrough scsi;
    std::int32_t transferred = 0;
    ASSERT_TRUE(PassThroughOut(scsi, "dev", kChipEraseBlock, {}, transferred));
    ASSERT_TRUE(PassThroughOut(scsi, "dev", kBlock, {}, transferred));
    ASSERT_TRUE(PassThroughIn(scsi, "dev", kChipEraseBlock, {}, transferred));
    EXPECT_EQ(scsi.seen[0].timeout, 100U);
    EXPECT_EQ(scsi.seen[1].timeout, 10U);
    EXPECT_EQ(scsi.seen[2].timeout, 20U);
}

TEST(PassThroughIn, AFailedOpenTouchesNeitherBufferNorTransferredLength) {
    ScriptedPassThrough scsi;
    scsi.openError = ENOENT;
    std::array<std::uint8_t, 2> small{0xEE, 0xEE};
    std::array<std::uint8_t, 8> large{};
    large.fill(0xEE);
    std::int32_t transferred = 1234;
    EXPECT_FALSE(PassThroughIn(scsi, "dev", kBlock, small, transferred));
    EXPECT_FALSE(PassThroughIn(scsi, "dev", kBlock, large, transferred));
    EXPECT_FALSE(PassThroughOut(scsi, "dev", kBlock, large, transferred));
    EXPECT_EQ(transferred, 1234);
    EXPECT_EQ(small, (std::array<std::uint8_t, 2>{0xEE, 0xEE}));
    EXPECT_TRUE(scsi.seen.empty());
}

struct CompletionCase {
    os::ScsiCompletion completion;
    bool expected;
};

class PassThroughVerdict : public ::testing::TestWithParam<CompletionCase> {};

TEST_P(PassThroughVerdict, SucceedsOnlyWhenCompletedWithoutAnErrorCode) {
    ScriptedPassThrough scsi;
    scsi.completion = GetParam().completion;
    scsi.reply = {0x42, 0x43};
    std::array<std::uint8_t, 1> status{0};
    std::int32_t transferred = -1;
    EXPECT_EQ(PassThroughIn(scsi, "dev", kBlock, status, transferred), GetParam().expected);
    // The staging copy and the transferred length are delivered either way.
    EXPECT_EQ(status[0], 0x42);
    EXPECT_EQ(transferred, GetParam().completion.transferred);
    EXPECT_EQ(scsi.openHandles, 0) << "the device must be closed when the call returns";
}

INSTANTIATE_TEST_SUITE_P(
    Completions, PassThroughVerdict,
    ::testing::Values(CompletionCase{{true, 0, 2}, true}, CompletionCase{{false, EIO, 0}, false},
                      CompletionCase{{true, EIO, 2}, false}, CompletionCase{{false, 0, 0}, false}));

}  // namespace
}  // namespace kxt::device
