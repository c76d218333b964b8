#include "os/linux/KernelNameOrder.h"

#include <cctype>

namespace kxt::os::linux_impl {
namespace {

bool IsDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

// The next run of digits or of other characters, taken off the front of `text`.
std::string_view NextRun(std::string_view& text) {
    std::size_t length = 1;
    while (length < text.size() && IsDigit(text[length]) == IsDigit(text[0])) {
        ++length;
    }
    const std::string_view run = text.substr(0, length);
    text.remove_prefix(length);
    return run;
}

std::string_view WithoutLeadingZeros(std::string_view digits) {
    const std::size_t first = digits.find_first_not_of('0');
    return first == std::string_view::npos ? std::string_view{} : digits.substr(first);
}

// Negative, zero or positive as `a` sorts before, with or after `b`. Shorter runs
// come first for letters and, once leading zeros are gone, for numbers alike;
// numbers before letters.
int CompareRuns(std::string_view a, std::string_view b) {
    if (IsDigit(a[0]) != IsDigit(b[0])) {
        return IsDigit(a[0]) ? -1 : 1;
    }
    if (IsDigit(a[0])) {
        a = WithoutLeadingZeros(a);
        b = WithoutLeadingZeros(b);
    }
    if (a.size() != b.size()) {
        return a.size() < b.size() ? -1 : 1;
    }
    return a.compare(b);
}

}  // namespace

bool KernelNameLess(std::string_view a, std::string_view b) {
    std::string_view restA = a;
    std::string_view restB = b;
    while (!restA.empty() && !restB.empty()) {
        if (const int order = CompareRuns(NextRun(restA), NextRun(restB)); order != 0) {
            return order < 0;
        }
    }
    if (restA.empty() != restB.empty()) {
        return restA.empty();
    }
    return a < b;  // "sr01" and "sr1" still need an order
}

}  // namespace kxt::os::linux_impl
