#pragma once

#include <vector>

#include "os/DevicePath.h"

namespace kxt::os {

enum class InterfaceKind { Disk, Cdrom };

// The present storage interfaces of USB mass-storage devices of one kind, in a
// stable enumeration order.
class InterfaceListing {
public:
    virtual ~InterfaceListing() = default;
    virtual std::vector<DevicePath> List(InterfaceKind kind) = 0;
};

}  // namespace kxt::os
