// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/TerminalText.h"

#include <cstdint>

namespace tallyvane {
namespace {

// The length of the well-formed UTF-8 sequence at the start of bytes, or 0.
std::size_t sequenceLength(std::string_view bytes)
{
    const auto byte = [&bytes](std::size_t i) { return static_cast<std::uint8_t>(bytes[i]); };
    const std::uint8_t lead = byte(0);
    std::size_t length = 0;
    std::uint8_t low = 0x80;
    std::uint8_t high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;  // no overlong forms
        high = lead == 0xED ? 0x9F : 0xBF; // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (bytes.size() < length || byte(1) < low || byte(1) > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if (byte(i) < 0x80 || byte(i) > 0xBF)
            return 0;
    }
    return length;
}

void appendEscaped(std::string& text, std::uint8_t byte)
{
    static constexpr char Hex[] = "0123456789abcdef";
    text += "\\x";
    text += Hex[byte >> 4];
    text += Hex[byte & 0xF];
}

} // namespace

std::string TerminalText(std::string_view bytes)
{
    std::string text;
    text.reserve(bytes.size());
    while (!bytes.empty()) {
        const auto byte = static_cast<std::uint8_t>(bytes.front());
        if (byte == '\\') {
            text += "\\\\";
            bytes.remove_prefix(1);
        } else if (byte < 0x20 || byte == 0x7F) {
            appendEscaped(text, byte);
            bytes.remove_prefix(1);
        } else if (byte < 0x80) {
            text += static_cast<char>(byte);
            bytes.remove_prefix(1);
        } else if (const std::size_t length = sequenceLength(bytes); length == 0) {
            appendEscaped(text, byte);
            bytes.remove_prefix(1);
        } else if (length == 2 && byte == 0xC2 && static_cast<std::uint8_t>(bytes[1]) < 0xA0) {
            // U+0080 to U+009F: the C1 controls, CSI among them.
            appendEscaped(text, byte);
            appendEscaped(text, static_cast<std::uint8_t>(bytes[1]));
            bytes.remove_prefix(2);
        } else {
            text.append(bytes.substr(0, length));
            bytes.remove_prefix(length);
        }
    }
    return text;
}

} // namespace tallyvane
