#include "emulator/CommandLog.h"

#include <cstdio>

namespace kxt::emulator {

std::string FormatLogLine(const LoggedCommand& command) {
    std::string line = std::to_string(command.time.count()) + "ms " + command.path + " " +
                       (command.direction == os::DataDirection::In ? "IN " : "OUT ") +
                       command.name;
    for (std::size_t i = 0; i < command.cdbLength; ++i) {
        char byte[4];
        std::snprintf(byte, sizeof byte, " %02X", command.cdb[i]);
        line += byte;
    }
    line += " len=" + std::to_string(command.length) +
            " timeout=" + std::to_string(command.timeoutSeconds) + "s" +
            (command.exclusive ? " exclusive" : "") + (command.completed ? " ok" : " failed");
    return line;
}

std::vector<LoggedCommand> CommandsNamed(const CommandLog& log, std::string_view name) {
    std::vector<LoggedCommand> named;
    for (const LoggedCommand& command : log) {
        if (command.name == name) {
            named.push_back(command);
        }
    }
    return named;
}

}  // namespace kxt::emulator
