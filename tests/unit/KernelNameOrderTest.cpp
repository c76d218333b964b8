#include "os/linux/KernelNameOrder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace kxt::os::linux_impl {
namespace {

// Disks and CD-ROM drives are listed apart, so each kind shares one prefix.
TEST(KernelNameOrder, SortsNamesAsTheKernelHandsThemOut) {
    std::vector<std::string> disks{"sdaa", "sdb", "sdz", "sda", "sdab", "sdba"};
    std::ranges::sort(disks, KernelNameLess);
    EXPECT_THAT(disks, ::testing::ElementsAre("sda", "sdb", "sdz", "sdaa", "sdab", "sdba"));

    std::vector<std::string> cdroms{"sr10", "sr2", "sr0", "sr1"};
    std::ranges::sort(cdroms, KernelNameLess);
    EXPECT_THAT(cdroms, ::testing::ElementsAre("sr0", "sr1", "sr2", "sr10"));
}

TEST(KernelNameOrder, IsAStrictOrder) {
    const std::vector<std::string> names{"sda", "sdaa", "sr1", "sr01", "1a", "01a", "a", ""};
    for (const auto& a : names) {
        EXPECT_FALSE(KernelNameLess(a, a)) << a;
        for (const auto& b : names) {
            if (a != b) {
                EXPECT_NE(KernelNameLess(a, b), KernelNameLess(b, a)) << a << " " << b;
            }
        }
    }
}

}  // namespace
}  // namespace kxt::os::linux_impl
