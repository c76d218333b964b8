#pragma once

#include <cstdint>
#include <string>

namespace kxt::emulator {

// A fault planned for the n-th occurrence (1-based; 0 = every occurrence; with
// `onwards`, the n-th and every later one) of a command, named as the command set
// names it ("WriteFlashBlock", "ReadFlash" ...).
struct Fault {
    enum class Kind {
        FailCommand,  // the request fails at the transport
        CorruptRead,  // the reply comes back with one byte inverted at `offset`
        Disappear,    // the device leaves the bus for good; this request fails
        Ignore,       // the request completes, but the chip does nothing (a protected flash)
    };
    Kind kind = Kind::FailCommand;
    std::string command;
    int occurrence = 1;
    bool onwards = false;
    std::uint32_t offset = 0;
};

}  // namespace kxt::emulator
