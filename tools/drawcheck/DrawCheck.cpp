#include "tools/drawcheck/DrawCheck.h"

#include <cctype>
#include <cstddef>

namespace {

bool IsIdent(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_'; }

// The text with comments and literals blanked (newlines kept for the line
// numbers), so that only code is searched.
std::string CodeOnly(const std::string& s)
{
    std::string out = s;
    const size_t n = s.size();
    size_t i = 0;
    auto blank = [&](size_t from, size_t to) {
        for (size_t k = from; k < to && k < n; ++k)
            if (out[k] != '\n') out[k] = ' ';
    };
    while (i < n) {
        const char c = s[i];
        if (c == '/' && i + 1 < n && s[i + 1] == '/') {
            size_t e = s.find('\n', i);
            if (e == std::string::npos) e = n;
            blank(i, e);
            i = e;
        } else if (c == '/' && i + 1 < n && s[i + 1] == '*') {
            size_t e = s.find("*/", i + 2);
            e = e == std::string::npos ? n : e + 2;
            blank(i, e);
            i = e;
        } else if (c == 'R' && i + 1 < n && s[i + 1] == '"' &&
                   (i == 0 || !IsIdent(s[i - 1]) || std::string("u8LU").find(s[i - 1]) != std::string::npos)) {
            // Raw string: R"delim( ... )delim"
            const size_t open = s.find('(', i + 2);
            if (open == std::string::npos) break;
            const std::string close = ")" + s.substr(i + 2, open - (i + 2)) + "\"";
            size_t e = s.find(close, open + 1);
            e = e == std::string::npos ? n : e + close.size();
            blank(i, e);
            i = e;
        } else if (c == '"' || (c == '\'' && (i == 0 || !std::isxdigit(static_cast<unsigned char>(s[i - 1]))))) {
            // A quote after a digit is a digit separator (1'000), not a literal.
            size_t e = i + 1;
            while (e < n && s[e] != c && s[e] != '\n') e += s[e] == '\\' ? 2 : 1;
            e = e < n ? e + 1 : n;
            blank(i, e);
            i = e;
        } else {
            ++i;
        }
    }
    return out;
}

// Length of a draw call starting at i ("g_GameRand . Real (" and the like), or 0.
size_t DrawAt(const std::string& s, size_t i)
{
    if (i > 0 && IsIdent(s[i - 1])) return 0;
    auto word = [&](size_t at, const char* w) {
        size_t k = 0;
        while (w[k] && at + k < s.size() && s[at + k] == w[k]) ++k;
        return w[k] == '\0' && (at + k >= s.size() || !IsIdent(s[at + k])) ? k : 0;
    };
    auto skipSpace = [&](size_t at) {
        while (at < s.size() && std::isspace(static_cast<unsigned char>(s[at]))) ++at;
        return at;
    };
    size_t at = i;
    if (size_t k = word(at, "g_GameRand")) {
        at = skipSpace(at + k);
        if (at >= s.size() || s[at] != '.') return 0;
        at = skipSpace(at + 1);
        size_t m = word(at, "Real");
        if (m == 0) m = word(at, "Integer");
        if (m == 0) return 0;
        at += m;
    } else {
        size_t w = word(at, "GameReal");
        if (w == 0) w = word(at, "GameInteger");
        if (w == 0) return 0;
        at += w;
    }
    at = skipSpace(at);
    return at < s.size() && s[at] == '(' ? at + 1 - i : 0;
}

}  // namespace

std::vector<SDrawFinding> FindDoubleDraws(const std::string& source)
{
    const std::string code = CodeOnly(source);
    std::vector<SDrawFinding> found;
    int line = 1;
    int draws = 0;
    int secondLine = 0;
    for (size_t i = 0; i < code.size(); ++i) {
        const char c = code[i];
        if (c == '\n') {
            ++line;
            continue;
        }
        if (c == ';' || c == '{' || c == '}') {
            if (draws >= 2) found.push_back({secondLine, draws});
            draws = 0;
            continue;
        }
        if (const size_t len = DrawAt(code, i)) {
            if (++draws == 2) secondLine = line;
            for (size_t k = i; k < i + len; ++k) line += code[k] == '\n' ? 1 : 0;
            i += len - 1;
        }
    }
    if (draws >= 2) found.push_back({secondLine, draws});
    return found;
}
