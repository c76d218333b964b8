#include "device/FirmwareIdentity.h"

#include <cstdio>

namespace kxt::device {

std::string ShortVersionText(const FirmwareIdentity& identity) {
    char text[32];
    std::snprintf(text, sizeof text, "Ver %d.%.2d", identity.bytes[6], identity.bytes[7]);
    return text;
}

std::string LongVersionText(const FirmwareIdentity& identity) {
    char text[32];
    std::snprintf(text, sizeof text, "Ver %d.%.2d.%.2d", identity.bytes[12], identity.bytes[13],
                  identity.bytes[14]);
    return text;
}

}  // namespace kxt::device
