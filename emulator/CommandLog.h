#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "os/ScsiPassThrough.h"

namespace kxt::emulator {

// One request as the emulated device received it.
struct LoggedCommand {
    std::string path;
    std::string name;  // decoded by the emulator, "Unknown" when it knows no such command
    os::DataDirection direction = os::DataDirection::In;
    std::uint32_t length = 0;  // transfer length of the request
    std::array<std::uint8_t, 16> cdb{};
    std::size_t cdbLength = 0;
    std::uint32_t timeoutSeconds = 0;
    bool exclusive = false;
    bool completed = false;
    std::chrono::milliseconds time{0};
    std::vector<std::uint8_t> dataOut;  // what a data-out request carried
};

using CommandLog = std::vector<LoggedCommand>;

// "12ms emu:kxt850 OUT WriteFlashBlock DF 82 00 10 00 ... len=4096 timeout=10s ok"
std::string FormatLogLine(const LoggedCommand& command);

// The requests whose name is `name`, in order.
std::vector<LoggedCommand> CommandsNamed(const CommandLog& log, std::string_view name);

}  // namespace kxt::emulator
