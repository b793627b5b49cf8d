// Proving replays. Every live game takes the digest of its rule state
// (stage/GameDigest.h) after every 60 steps of play and at its end, and writes
// them after the replay's records; `korvo --verify-replay FILE` plays the file
// and compares every digest and the final score.
#pragma once

#include <cstdint>
#include <string>

#include "persist/Replay.h"

// Exit codes of --verify-replay.
inline constexpr int kVerifyOk = 0;         // every digest and the score match
inline constexpr int kVerifyDiffers = 1;    // the game played differently
inline constexpr int kVerifyDamaged = 2;    // the file cannot be read or is damaged
inline constexpr int kVerifyNoDigests = 3;  // no trailer: only the final score matched

class CDigestLog {
public:
    // A live game: its digests are kept for the replay it writes.
    void StartRecording();
    // A watched replay: nothing is taken.
    void Stop();
    // The loaded replay is being verified against its trailer (without one,
    // against its header's score and record count only).
    void StartVerifying(const CReplay& replay, bool verbose);

    // After every step of play.
    void OnPlayStep();
    // The end of a live game: its trailer.
    CReplayTrailer FinishRecording(int32_t score);
    // The end of the verified replay: the last comparisons.
    void FinishVerifying(int32_t score);
    // The verified replay was left before its end (Escape).
    void Abandon();

    bool IsVerifying() const { return m_eMode == EMode::Verify; }
    // Once the verdict is in: the exit code and the text to print.
    bool HasVerdict() const { return m_bVerdict; }
    int ExitCode() const { return m_nExitCode; }
    const std::string& Verdict() const { return m_strVerdict; }
    // Steps of play since the game started.
    uint32_t Steps() const { return m_dwSteps; }

private:
    enum class EMode { Off, Record, Verify };

    void SetVerdict(int code, std::string text);
    // The digest now differs from the recorded one: the verdict naming the
    // step and, verbose, the first part that differs.
    void Differs(const SReplayDigest& expected, const SReplayDigest& now);

    EMode m_eMode = EMode::Off;
    uint32_t m_dwSteps = 0;
    CReplayTrailer m_Trailer;        // recording: what is taken; verifying: what is expected
    bool m_bHasTrailer = false;
    uint32_t m_dwExpectedSteps = 0;
    int32_t m_nExpectedScore = 0;
    bool m_bVerbose = false;
    bool m_bVerdict = false;
    int m_nExitCode = kVerifyOk;
    std::string m_strVerdict;
};

extern CDigestLog g_DigestLog;

// Loads FILE into the recorder to be verified: kVerifyOk when it can be
// played, kVerifyDamaged with the reason when it cannot be read, fails its
// check, is cut short, names no chapter of the game or its trailer is damaged
// or does not fit it.
int LoadReplayToVerify(const std::string& path, std::string& why);
// A chapter selection a replay may name: -1 (a full run) or a chapter.
bool IsReplayChapter(int32_t selection);
// Loads FILE to be watched, with the checks of the replay list: false with the
// reason (naming the file) when it cannot be read, fails its check or names
// no chapter of the game.
bool LoadReplayToWatch(const std::string& path, std::string& why);
// Starts the loaded replay as the verified game.
void StartVerifiedReplay(bool verbose);
