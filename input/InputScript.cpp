#include "input/InputScript.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <sstream>

#include "core/Text.h"
#include "core/Util.h"

namespace {

bool ParseStep(const std::string& text, int64_t& out)
{
    if (text.empty()) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0') return false;
    out = v;
    return true;
}

bool ParseAxis(const std::string& text, float& out)
{
    if (text.empty()) return false;
    char* end = nullptr;
    const float v = std::strtof(text.c_str(), &end);
    if (*end != '\0' || !std::isfinite(v) || v < -1.0f || v > 1.0f) return false;
    out = v;
    return true;
}

}  // namespace

bool CInputScript::LoadFile(const std::string& path, std::string& error)
{
    m_Spans.clear();
    // A folder, a pipe or a device is refused at once: never read until memory
    // runs out, never waited on.
    std::vector<std::uint8_t> bytes;
    const EReadResult read = ReadRegularFile(path, bytes, kMaxScriptFileBytes);
    if (read != EReadResult::Ok) {
        error = "the input script " + QuotedPath(path) + " " + ReadFaultText(path, read, kMaxScriptFileBytes);
        return false;
    }
    if (!LoadText(std::string(bytes.begin(), bytes.end()), error)) {
        error = "the input script " + QuotedPath(path) + ", " + error;
        return false;
    }
    return true;
}

bool CInputScript::LoadText(const std::string& text, std::string& error)
{
    m_Spans.clear();
    std::istringstream in(text);
    std::string line;
    int lineNo = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        const size_t hash = line.find('#');
        if (hash != std::string::npos) line.erase(hash);
        std::istringstream words(line);
        std::string range;
        if (!(words >> range)) continue;
        SSpan span;
        const size_t dash = range.find('-');
        bool ok = dash == std::string::npos
                      ? ParseStep(range, span.nFrom)
                      : ParseStep(range.substr(0, dash), span.nFrom) && ParseStep(range.substr(dash + 1), span.nTo);
        if (dash == std::string::npos) span.nTo = span.nFrom;
        if (!ok || span.nTo < span.nFrom) {
            error = "line " + std::to_string(lineNo) + ": \"" + EscapeForDisplay(range) +
                    "\" is not a step or a range FROM-TO";
            m_Spans.clear();
            return false;
        }
        std::string word;
        while (words >> word) {
            CInputRecord& r = span.rec;
            if (word == "attack0") r.m_bAttack0 = 1;
            else if (word == "attack1") r.m_bAttack1 = 1;
            else if (word == "reload") r.m_bReload = 1;
            else if (word == "dash") r.m_bDash = 1;
            else if (word == "leftroll") r.m_bLeftRoll = 1;
            else if (word == "rightroll") r.m_bRightRoll = 1;
            else if (word == "blade") r.m_bBlade = 1;
            else if (word == "escape") span.bEscape = true;
            else if (word == "pause") span.bPause = true;
            else if (word == "step") span.viewer.bStep = true;
            else if (word == "fast") span.viewer.bFast = true;
            else if (word == "speed1") span.viewer.nSpeed = 1;
            else if (word == "speed2") span.viewer.nSpeed = 2;
            else if (word == "speed4") span.viewer.nSpeed = 4;
            else if (word == "speed8") span.viewer.nSpeed = 8;
            else if (word == "seekback") span.viewer.nSeek = -1;
            else if (word == "seekfwd") span.viewer.nSeek = 1;
            else if (word.rfind("x=", 0) == 0 && ParseAxis(word.substr(2), r.m_fX)) {
            } else if (word.rfind("y=", 0) == 0 && ParseAxis(word.substr(2), r.m_fY)) {
            } else {
                error = "line " + std::to_string(lineNo) + ": \"" + EscapeForDisplay(word) +
                        "\" is neither a button, x=V, y=V (V in -1 ... 1), escape, pause nor a replay control (step, fast, "
                        "speed1, speed2, speed4, speed8, seekback, seekfwd)";
                m_Spans.clear();
                return false;
            }
        }
        m_Spans.push_back(span);
    }
    return true;
}

CInputRecord CInputScript::RecordAt(int64_t frame) const
{
    for (auto it = m_Spans.rbegin(); it != m_Spans.rend(); ++it)
        if (frame >= it->nFrom && frame <= it->nTo) return it->rec;
    return CInputRecord{};
}

bool CInputScript::PressAt(bool SSpan::*key, int64_t frame) const
{
    for (const SSpan& s : m_Spans)
        if (s.*key && s.nFrom == frame) return true;
    return false;
}

bool CInputScript::EscapeAt(int64_t frame) const { return PressAt(&SSpan::bEscape, frame); }
bool CInputScript::PauseAt(int64_t frame) const { return PressAt(&SSpan::bPause, frame); }

SViewerCommands CInputScript::ViewerAt(int64_t frame) const
{
    SViewerCommands out;
    for (const SSpan& s : m_Spans) {
        if (frame < s.nFrom || frame > s.nTo) continue;
        out.bFast = s.viewer.bFast;
        if (s.nFrom != frame) continue;
        out.bStep = out.bStep || s.viewer.bStep;
        if (s.viewer.nSpeed != 0) out.nSpeed = s.viewer.nSpeed;
        if (s.viewer.nSeek != 0) out.nSeek = s.viewer.nSeek;
    }
    return out;
}

int64_t CInputScript::LastStep() const
{
    int64_t last = -1;
    for (const SSpan& s : m_Spans)
        if (s.nTo > last) last = s.nTo;
    return last;
}
