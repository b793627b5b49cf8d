// Text from outside (score names, file names, script words) shown to the
// player: UTF-8 decoding, the characters that must never reach a terminal or a
// one-line list raw, and their escaped form.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Decodes the UTF-8 character at text[pos]; on success advances pos past it.
// False (pos unchanged) for a byte that does not start a valid character:
// overlong forms, surrogates and values beyond U+10FFFF are invalid.
bool DecodeUtf8(std::string_view text, std::size_t& pos, std::uint32_t& codePoint);
bool IsValidUtf8(std::string_view text);

// Characters that change how a terminal or a line of text behaves rather than
// showing as themselves: C0 controls, DEL, C1 controls (U+0080-U+009F) and the
// bidirectional formatting marks and overrides.
bool IsControlCodePoint(std::uint32_t codePoint);

// text with every control character and every byte that is not UTF-8 written
// as an escape (\n, \t, \xNN for a byte, \u{NNNN} for a character) and every
// backslash doubled, so the result is one line of harmless text; anything else,
// Japanese included, passes unchanged.
std::string EscapeForDisplay(std::string_view text);
