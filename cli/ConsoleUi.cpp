#include "cli/ConsoleUi.h"

#include <iostream>

namespace kxt::cli {

void ConsoleUi::ShowMessage(std::string_view text, std::string_view caption, os::MessageIcon icon) {
    std::cerr << (icon == os::MessageIcon::Error ? "error" : "note") << " [" << caption << "]: "
              << text << '\n';
}

void ConsoleUi::DebugTrace(std::string_view text) {
    if (verbose) {
        std::cerr << "trace: " << text;
        if (!text.ends_with('\n')) std::cerr << '\n';
    }
}

}  // namespace kxt::cli
