#include "core/Text.h"

#include <cstdio>

bool DecodeUtf8(std::string_view text, std::size_t& pos, std::uint32_t& codePoint)
{
    if (pos >= text.size()) return false;
    const auto c = static_cast<unsigned char>(text[pos]);
    std::size_t len = 0;
    std::uint32_t cp = 0;
    if (c < 0x80) {
        codePoint = c;
        ++pos;
        return true;
    } else if (c >= 0xC2 && c <= 0xDF) {
        len = 2;
        cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        len = 3;
        cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        len = 4;
        cp = c & 0x07;
    } else {
        return false;
    }
    if (len > text.size() - pos) return false;
    for (std::size_t k = 1; k < len; ++k) {
        const auto cc = static_cast<unsigned char>(text[pos + k]);
        if ((cc & 0xC0) != 0x80) return false;
        cp = (cp << 6) | (cc & 0x3F);
    }
    if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) || (cp >= 0xD800 && cp <= 0xDFFF))
        return false;
    codePoint = cp;
    pos += len;
    return true;
}

bool IsValidUtf8(std::string_view text)
{
    std::size_t pos = 0;
    std::uint32_t cp;
    while (pos < text.size())
        if (!DecodeUtf8(text, pos, cp)) return false;
    return true;
}

bool IsControlCodePoint(std::uint32_t cp)
{
    return cp < 0x20 || (cp >= 0x7F && cp <= 0x9F) || cp == 0x061C ||  // Arabic letter mark
           cp == 0x200E || cp == 0x200F ||                             // left-to-right, right-to-left marks
           (cp >= 0x202A && cp <= 0x202E) ||                           // embeddings and overrides
           (cp >= 0x2066 && cp <= 0x2069);                             // isolates
}

std::string EscapeForDisplay(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    char buf[16];
    while (pos < text.size()) {
        const std::size_t start = pos;
        std::uint32_t cp;
        if (!DecodeUtf8(text, pos, cp)) {
            std::snprintf(buf, sizeof buf, "\\x%02X", static_cast<unsigned char>(text[pos]));
            out += buf;
            ++pos;
        } else if (cp == '\\') {
            out += "\\\\";
        } else if (cp == '\n') {
            out += "\\n";
        } else if (cp == '\t') {
            out += "\\t";
        } else if (cp == '\r') {
            out += "\\r";
        } else if (cp < 0x80 && IsControlCodePoint(cp)) {
            std::snprintf(buf, sizeof buf, "\\x%02X", static_cast<unsigned>(cp));
            out += buf;
        } else if (IsControlCodePoint(cp)) {
            std::snprintf(buf, sizeof buf, "\\u{%04X}", static_cast<unsigned>(cp));
            out += buf;
        } else {
            out.append(text.substr(start, pos - start));
        }
    }
    return out;
}
