#pragma once

#include <string_view>

namespace kxt::os::linux_impl {

// Orders kernel device names the way the kernel hands them out: letters by length
// first ("sdb" before "sdaa"), numbers by value ("sr2" before "sr10").
bool KernelNameLess(std::string_view a, std::string_view b);

}  // namespace kxt::os::linux_impl
