#include "emulator/TimingModel.h"

namespace kxt::emulator {

std::chrono::microseconds TimingModel::Cost(std::uint64_t transferredBytes,
                                            const FlashWork& work) const {
    std::chrono::microseconds cost = commandLatency;
    if (bytesPerSecond > 0) {
        cost += std::chrono::microseconds(transferredBytes * 1'000'000 / bytesPerSecond);
    }
    cost += smallBlockErase * work.smallBlockErases + largeBlockErase * work.largeBlockErases +
            sectorErase * work.sectorErases + chipErase * work.chipErases;
    const std::uint64_t page = pageSize == 0 ? 1 : pageSize;
    const auto pages = static_cast<std::int64_t>((work.programmedBytes + page - 1) / page);
    return cost + pageProgram * pages;
}

}  // namespace kxt::emulator
