#include "settings/numbers.h"

namespace korvo {
namespace {

int digitValue(char c, int base) {
    int value = -1;
    if (c >= '0' && c <= '9') {
        value = c - '0';
    } else if (c >= 'a' && c <= 'f') {
        value = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
        value = c - 'A' + 10;
    }
    return value < base ? value : -1;
}

}  // namespace

int64_t parseInteger(std::string_view text) {
    size_t pos = 0;
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t'))
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) {
        negative = text[pos] == '-';
        ++pos;
    }
    int base = 10;
    if (pos < text.size() && text[pos] == '$') {
        base = 16;
        ++pos;
    } else if (pos < text.size() && text[pos] == '%') {
        base = 2;
        ++pos;
    }
    // Unsigned arithmetic wraps where signed overflow would be undefined.
    uint64_t value = 0;
    for (; pos < text.size(); ++pos) {
        int digit = digitValue(text[pos], base);
        if (digit < 0)
            break;
        value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
    }
    if (negative)
        value = 0 - value;
    return static_cast<int64_t>(value);
}

std::string formatInteger(int64_t value) {
    return std::to_string(value);
}

}  // namespace korvo
