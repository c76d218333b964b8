#include "app/TK71xFwTool.h"

namespace kxt::app {

void TK71xFwTool::RunOlderPath(const os::DevicePath&) {}

}  // namespace kxt::app
