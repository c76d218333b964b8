#include "app/DeviceChangeMonitoring.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <vector>

#include "tests/support/VirtualTimerUi.h"

namespace kxt {
namespace {

using namespace std::chrono_literals;
using Milliseconds = std::chrono::milliseconds;

constexpr std::uint32_t kArrival = 0x8000;
constexpr std::uint32_t kRemoveComplete = 0x8004;
constexpr std::uint32_t kNodesChanged = 0x0007;

// A rescan timer on virtual time that records when each scan ran.
class RescanTimerTest : public ::testing::Test {
  protected:
    // Lets `duration` pass, delivering the timers that fall due to the window.
    void Wait(Milliseconds duration) {
        ui.Advance(duration, [this](int id) { rescan.WMTimer(id); });
    }
    void Notice(std::uint32_t code) { rescan.WMDeviceChange(code); }

    testing::VirtualTimerUi ui;
    std::vector<Milliseconds> scans;
    std::function<void()> onScan;
    app::RescanTimer rescan{ui, [this] {
                                scans.push_back(ui.Now());
                                if (onScan) {
                                    onScan();
                                }
                            }};
};

TEST_F(RescanTimerTest, BurstOfNoticesGivesOneScanAfterTheLastNoticesDelay) {
    Notice(kArrival);
    Wait(100ms);
    Notice(kNodesChanged);
    Wait(150ms);
    Notice(kNodesChanged);
    Wait(150ms);
    Notice(kArrival);  // at 400 ms
    Wait(10s);
    EXPECT_EQ(scans, std::vector<Milliseconds>{1600ms});
}

TEST_F(RescanTimerTest, RemovalAndNodesChangedScanOnce200MsAfterTheLast) {
    Notice(kRemoveComplete);
    Wait(30ms);
    Notice(kNodesChanged);
    Wait(199ms);
    EXPECT_TRUE(scans.empty());
    Wait(10s);
    EXPECT_EQ(scans, std::vector<Milliseconds>{230ms});
}

TEST_F(RescanTimerTest, ArrivalFollowedByNodesChangedScans200MsAfterTheSecond) {
    Notice(kArrival);
    Wait(500ms);
    Notice(kNodesChanged);
    Wait(10s);
    EXPECT_EQ(scans, std::vector<Milliseconds>{700ms});
}

TEST_F(RescanTimerTest, AnotherTimerIdNeitherScansNorDisarmsTheRescan) {
    rescan.WMTimer(7);
    EXPECT_TRUE(scans.empty());

    Notice(kArrival);
    rescan.WMTimer(102);
    EXPECT_TRUE(scans.empty());
    EXPECT_EQ(ui.Deadline(app::RescanTimerId), 1200ms);
    Wait(10s);
    EXPECT_EQ(scans, std::vector<Milliseconds>{1200ms});
}

TEST_F(RescanTimerTest, NoticeDuringTheScanGivesASecondScan) {
    // The chip re-attaches while the first scan runs.
    onScan = [this] {
        if (scans.size() == 1) {
            Notice(kArrival);
        }
    };
    Notice(kRemoveComplete);
    Wait(10s);
    EXPECT_EQ(scans, (std::vector<Milliseconds>{200ms, 1400ms}));
}

TEST_F(RescanTimerTest, TimerMessageForTheRescanRunsOneScanAndDisarms) {
    Notice(kNodesChanged);
    rescan.WMTimer(app::RescanTimerId);
    EXPECT_EQ(scans.size(), 1u);
    EXPECT_FALSE(ui.Deadline(app::RescanTimerId).has_value());
}

struct NoticeCase {
    std::uint32_t code;
    std::optional<Milliseconds> delay;  // none: the notice is ignored
};

class NoticeCodeTest : public RescanTimerTest, public ::testing::WithParamInterface<NoticeCase> {};

TEST_P(NoticeCodeTest, ArmsTheRescanWithItsDelayOrIsIgnored) {
    Notice(GetParam().code);
    EXPECT_EQ(ui.Deadline(app::RescanTimerId), GetParam().delay);
    Wait(10s);
    EXPECT_EQ(scans.size(), GetParam().delay ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(EventCodes, NoticeCodeTest,
                         ::testing::Values(NoticeCase{0x8000, 1200ms}, NoticeCase{0x8004, 200ms},
                                           NoticeCase{0x0007, 200ms}, NoticeCase{0x0017, 200ms},
                                           NoticeCase{0x8002, 200ms}, NoticeCase{0x8003, 200ms},
                                           NoticeCase{0x8006, 200ms}, NoticeCase{0xFFFF, 200ms},
                                           NoticeCase{0x0018, std::nullopt},
                                           NoticeCase{0x0019, std::nullopt},
                                           NoticeCase{0x8001, std::nullopt},
                                           NoticeCase{0x8005, std::nullopt}),
                         [](const auto& param) {
                             char name[16];
                             std::snprintf(name, sizeof name, "Code%04X", param.param.code);
                             return std::string(name);
                         });

}  // namespace
}  // namespace kxt
