#include "settings/password.h"

#include <array>
#include <cstdint>

namespace korvo {
namespace {

constexpr std::string_view kAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

constexpr std::array<int8_t, 256> makeDecodeTable() {
    std::array<int8_t, 256> table{};
    for (auto& entry : table)
        entry = -1;
    for (size_t i = 0; i < kAlphabet.size(); ++i) {
        table[static_cast<unsigned char>(kAlphabet[i])] = static_cast<int8_t>(i);
    }
    return table;
}
constexpr std::array<int8_t, 256> kDecodeTable = makeDecodeTable();

}  // namespace

std::string encodeBase64(std::string_view bytes) {
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (size_t i = 0; i < bytes.size(); i += 3) {
        const size_t count = bytes.size() - i < 3 ? bytes.size() - i : 3;
        uint32_t group = 0;
        for (size_t k = 0; k < 3; ++k) {
            const uint32_t byte = k < count ? static_cast<unsigned char>(bytes[i + k]) : 0u;
            group = (group << 8) | byte;
        }
        for (size_t k = 0; k < 4; ++k) {
            out.push_back(k <= count ? kAlphabet[(group >> (18 - 6 * k)) & 0x3F] : '=');
        }
    }
    return out;
}

std::optional<std::string> decodeBase64(std::string_view text) {
    if (text.size() % 4 != 0)
        return std::nullopt;
    std::string out;
    out.reserve(text.size() / 4 * 3);
    for (size_t i = 0; i < text.size(); i += 4) {
        const bool last = i + 4 == text.size();
        // "=" may only pad the last group: "xx==" or "xxx=".
        size_t padding = 0;
        if (last && text[i + 3] == '=')
            padding = text[i + 2] == '=' ? 2 : 1;
        uint32_t group = 0;
        for (size_t k = 0; k < 4; ++k) {
            int value = 0;
            if (k < 4 - padding) {
                value = kDecodeTable[static_cast<unsigned char>(text[i + k])];
                if (value < 0)
                    return std::nullopt;
            }
            group = (group << 6) | static_cast<uint32_t>(value);
        }
        for (size_t k = 0; k < 3 - padding; ++k) {
            out.push_back(static_cast<char>((group >> (16 - 8 * k)) & 0xFF));
        }
    }
    return out;
}

std::string encodePassword(std::string_view password) {
    return encodeBase64(password);
}

std::string decodePassword(std::string_view stored) {
    std::optional<std::string> bytes = decodeBase64(stored);
    if (!bytes)
        return {};
    return bytes->substr(0, bytes->find('\0'));
}

}  // namespace korvo
