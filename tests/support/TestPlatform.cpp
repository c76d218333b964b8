#include "tests/support/TestPlatform.h"

#include "emulator/Scenario.h"

namespace kxt::testing {

os::DevicePath EmulatedPlatform::AddDevice(const std::string& deviceJson) {
    const std::size_t before = bus.Devices().size();
    emulator::LoadScenarioText("{\"devices\": [" + deviceJson + "]}", "test scenario", ".", bus);
    return bus.Devices().at(before)->path;
}

}  // namespace kxt::testing
