// One KXT850-sized programming (64 KB with proof, flash-type detection allowed) on an
// emulated KXT850 under a realistic timing model: commands sent, bytes moved, host CPU
// time (the benchmark's own CPU column) and the device time the virtual clock counted.
#include <benchmark/benchmark.h>

#include <optional>
#include <random>
#include <vector>

#include "device/BlockProgramming.h"
#include "emulator/EmulatedBus.h"
#include "emulator/Scenario.h"
#include "emulator/VirtualClock.h"
#include "os/Platform.h"

namespace {

using namespace kxt;

// A KXT850 (MXIC part, flash type 5 reported) holding older firmware, with the timing
// model that bench/README.md documents.
constexpr const char* kScenario = R"({"devices": [{
    "id": "kxt850", "chip": "kxt850",
    "flash": {"regions": [{"random": 850, "length": 65536}]},
    "timing": {"commandLatencyUs": 125, "bytesPerSecond": 30000000,
               "smallBlockEraseUs": 45000, "largeBlockEraseUs": 500000,
               "sectorEraseUs": 250000, "chipEraseUs": 2000000,
               "pageProgramUs": 1500, "pageSize": 256}}]})";

class NoFirmware final : public os::FirmwareResources {
public:
    std::optional<std::span<const std::uint8_t>> Find(std::string_view,
                                                      std::string_view) const override {
        return std::nullopt;
    }
    bool StandInImages() const override { return true; }
};

class QuietUi final : public os::UiServices {
public:
    void ShowMessage(std::string_view, std::string_view, os::MessageIcon) override {}
    void ProcessPendingMessages() override {}
    void DebugTrace(std::string_view) override {}
    void SetTimer(int, std::chrono::milliseconds) override {}
    void KillTimer(int) override {}
    std::optional<std::string> ChooseOpenFile(const std::string&, std::string_view) override {
        return std::nullopt;
    }
};

// A fresh emulated enclosure for each programming.
struct Rig {
    Rig() { emulator::LoadScenarioText(kScenario, "benchmark", ".", bus); }
    emulator::VirtualClock clock;
    emulator::EmulatedBus bus{clock};
    NoFirmware firmware;
    QuietUi ui;
    os::Platform platform{bus, clock, firmware, ui, bus};
};

std::vector<std::uint8_t> Image() {
    std::mt19937 generator(0xC000);
    std::vector<std::uint8_t> image(0x10000);
    for (auto& byte : image) byte = static_cast<std::uint8_t>(generator());
    return image;
}

void BM_ProgramKxt850Image(benchmark::State& state) {
    const std::vector<std::uint8_t> image = Image();
    std::optional<Rig> rig;
    double commands = 0;
    double bytesMoved = 0;
    double deviceSeconds = 0;
    double failures = 0;
    for (auto _ : state) {
        state.PauseTiming();
        rig.emplace();
        const os::DevicePath path = rig->bus.Devices().front()->path;
        state.ResumeTiming();

        const bool programmed = device::ProgramAndVerify(rig->platform, path, image, true);

        state.PauseTiming();
        const emulator::CommandLog log = rig->bus.Log();
        commands += static_cast<double>(log.size());
        for (const auto& command : log) bytesMoved += command.length;
        deviceSeconds += std::chrono::duration<double>(rig->clock.Elapsed()).count();
        failures += programmed ? 0 : 1;
        rig.reset();
        state.ResumeTiming();
    }
    using benchmark::Counter;
    state.counters["commands"] = Counter(commands, Counter::kAvgIterations);
    state.counters["bytes_moved"] = Counter(bytesMoved, Counter::kAvgIterations);
    state.counters["device_s"] = Counter(deviceSeconds, Counter::kAvgIterations);
    state.counters["failures"] = Counter(failures, Counter::kAvgIterations);
}

BENCHMARK(BM_ProgramKxt850Image)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
