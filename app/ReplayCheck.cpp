#include "app/ReplayCheck.h"

#include <cinttypes>
#include <cstdio>
#include <utility>
#include <vector>

#include "stage/GameDigest.h"
#include "app/Scene.h"
#include "core/Util.h"
#include "stage/CustomStageControler.h"

CDigestLog g_DigestLog;

namespace {

std::string Hex(uint64_t v)
{
    char text[24];
    std::snprintf(text, sizeof text, "%016" PRIx64, v);
    return text;
}

std::string StepText(uint32_t step) { return "step " + std::to_string(step) + " of the game"; }

std::string UnknownChapterText(const std::string& name, int32_t chapter)
{
    return name + " names chapter selection " + std::to_string(chapter) + ", which the game does not have";
}

}  // namespace

void CDigestLog::StartRecording()
{
    m_eMode = EMode::Record;
    m_dwSteps = 0;
    m_Trailer = CReplayTrailer{};
}

void CDigestLog::Stop()
{
    m_eMode = EMode::Off;
    m_dwSteps = 0;
}

void CDigestLog::StartVerifying(const CReplay& replay, bool verbose)
{
    m_eMode = EMode::Verify;
    m_dwSteps = 0;
    m_bHasTrailer = replay.GetTrailerState() == EReplayTrailer::Intact;
    m_Trailer = m_bHasTrailer ? replay.GetTrailer() : CReplayTrailer{};
    m_dwExpectedSteps = m_bHasTrailer ? m_Trailer.m_dwSteps : replay.GetHeader().m_dwRecords;
    m_nExpectedScore = replay.GetHeader().m_nScore;
    m_bVerbose = verbose;
    m_bVerdict = false;
    m_nExitCode = kVerifyOk;
    m_strVerdict.clear();
}

void CDigestLog::SetVerdict(int code, std::string text)
{
    if (m_bVerdict) return;
    m_bVerdict = true;
    m_nExitCode = code;
    m_strVerdict = std::move(text);
    m_eMode = EMode::Off;
}

void CDigestLog::Differs(const SReplayDigest& expected, const SReplayDigest& now)
{
    std::string text = StepText(m_dwSteps) + ": the digest differs (recorded " + Hex(expected.m_qwDigest) +
                       ", played " + Hex(now.m_qwDigest) + ")";
    if (m_bVerbose) {
        std::vector<std::string> parts;
        TakeGameDigest(&parts);
        const int i = FirstDifferentPart(expected, now);
        if (i < 0) {
            text += "\n  no single part differs by its tag";
        } else if (static_cast<size_t>(i) < parts.size()) {
            text += "\n  first difference: " + parts[static_cast<size_t>(i)];
            if (expected.m_Tags.size() != now.m_Tags.size())
                text += "\n  (" + std::to_string(expected.m_Tags.size()) + " parts recorded, " +
                        std::to_string(now.m_Tags.size()) + " played)";
        } else {
            text += "\n  first difference: the recording has more parts (" + std::to_string(expected.m_Tags.size()) +
                    " recorded, " + std::to_string(now.m_Tags.size()) + " played)";
        }
    }
    SetVerdict(kVerifyDiffers, text);
}

void CDigestLog::OnPlayStep()
{
    if (m_eMode == EMode::Off) return;
    ++m_dwSteps;
    if (m_eMode == EMode::Record) {
        if (m_dwSteps % m_Trailer.m_dwInterval == 0) m_Trailer.m_Intervals.push_back(TakeGameDigest());
        return;
    }
    if (m_dwSteps > m_dwExpectedSteps) {
        SetVerdict(kVerifyDiffers, StepText(m_dwSteps) + ": the recorded game ended after " +
                                       std::to_string(m_dwExpectedSteps) + " steps; this one goes on");
        return;
    }
    if (!m_bHasTrailer || m_dwSteps % m_Trailer.m_dwInterval != 0) return;
    const size_t k = m_dwSteps / m_Trailer.m_dwInterval - 1;
    if (k >= m_Trailer.m_Intervals.size()) return;   // the recording's steps say otherwise: judged at the end
    const SReplayDigest now = TakeGameDigest();
    if (now.m_qwDigest != m_Trailer.m_Intervals[k].m_qwDigest) Differs(m_Trailer.m_Intervals[k], now);
}

CReplayTrailer CDigestLog::FinishRecording(int32_t score)
{
    m_Trailer.m_dwSteps = m_dwSteps;
    m_Trailer.m_nFinalScore = score;
    m_Trailer.m_Final = TakeGameDigest();
    m_eMode = EMode::Off;
    return std::move(m_Trailer);
}

void CDigestLog::FinishVerifying(int32_t score)
{
    if (m_eMode != EMode::Verify) return;
    if (m_dwSteps != m_dwExpectedSteps) {
        SetVerdict(kVerifyDiffers, StepText(m_dwSteps) + ": the game ended; the recorded one lasted " +
                                       std::to_string(m_dwExpectedSteps) + " steps");
        return;
    }
    if (m_bHasTrailer) {
        const SReplayDigest now = TakeGameDigest();
        if (now.m_qwDigest != m_Trailer.m_Final.m_qwDigest) {
            Differs(m_Trailer.m_Final, now);
            return;
        }
    }
    const int32_t recorded = m_bHasTrailer ? m_Trailer.m_nFinalScore : m_nExpectedScore;
    if (score != recorded || score != m_nExpectedScore) {
        SetVerdict(kVerifyDiffers, StepText(m_dwSteps) + ": the final score differs (recorded " +
                                       std::to_string(recorded) + ", played " + std::to_string(score) + ")");
        return;
    }
    const std::string figures = std::to_string(m_dwSteps) + " steps, score " + std::to_string(score);
    if (m_bHasTrailer)
        SetVerdict(kVerifyOk, "verified: " + figures);
    else
        SetVerdict(kVerifyNoDigests, "no digests in this file: only the final score could be compared, and it "
                                     "matches (" + figures + ")");
}

void CDigestLog::Abandon()
{
    if (m_eMode != EMode::Verify) return;
    SetVerdict(kVerifyDiffers, StepText(m_dwSteps) + ": the replay was left before the game's end");
}

int LoadReplayToVerify(const std::string& path, std::string& why)
{
    const std::string name = QuotedPath(path);
    if (!g_Replay.Load(path)) {
        why = name + " " + g_Replay.GetLoadFault();
        return kVerifyDamaged;
    }
    const CReplayHeader& h = g_Replay.GetHeader();
    if (!g_Replay.HasAllRecords()) {
        why = name + " is cut short: it holds " + std::to_string(g_Replay.GetRecordCount()) + " of its " +
              std::to_string(h.m_dwRecords) + " records";
        return kVerifyDamaged;
    }
    const CReplayTrailer& t = g_Replay.GetTrailer();
    const bool intact = g_Replay.GetTrailerState() == EReplayTrailer::Intact;
    if (g_Replay.GetTrailerState() == EReplayTrailer::Damaged ||
        (intact && (t.m_dwSteps != h.m_dwRecords || t.m_nFinalScore != h.m_nScore ||
                    t.m_Intervals.size() != t.m_dwSteps / t.m_dwInterval))) {
        why = name + ": what follows its records is no intact digest trailer of them";
        return kVerifyDamaged;
    }
    if (!IsReplayChapter(h.m_nChapter)) {
        why = UnknownChapterText(name, h.m_nChapter);
        return kVerifyDamaged;
    }
    return kVerifyOk;
}

bool IsReplayChapter(int32_t selection)
{
    return selection >= -1 && selection <= CStageControler::STAGE_CHAPTER2;
}

bool LoadReplayToWatch(const std::string& path, std::string& why)
{
    const std::string name = QuotedPath(path);
    if (!g_Replay.Load(path)) {
        why = name + " " + g_Replay.GetLoadFault();
        return false;
    }
    if (!IsReplayChapter(g_Replay.GetHeader().m_nChapter)) {
        why = UnknownChapterText(name, g_Replay.GetHeader().m_nChapter);
        return false;
    }
    return true;
}

void StartVerifiedReplay(bool verbose)
{
    StartReplay(g_Replay.GetHeader().m_nChapter);
    g_DigestLog.StartVerifying(g_Replay, verbose);
}
