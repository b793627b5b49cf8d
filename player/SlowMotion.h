// CSlowMotion: the slow-motion controller (g_pSlowMotion). It runs the screen's
// darkening, the device's 480-frame countdown that halves the game's rate, the
// start sound with its looping ambience, and stops the music while it runs;
// after it ends a 60-frame cooldown passes before the music resumes and before
// it can start again. The craft decides when (gauge, buttons); the world
// passes tick the cooldown.
#pragma once

#include <vector>

class CSound;

class CSlowMotion {
public:
    static constexpr int kFrames = 480;
    static constexpr int kCooldown = 60;
    static constexpr int kAmbienceDelay = 75;   // 60 x 1.25

    // The start sound ("#400"), the looping ambience ("#401"), the end sound
    // ("#402"); any may be null (silent).
    void SetSounds(CSound* start, CSound* ambience, CSound* end);

    bool IsRunning() const { return m_bRunning; }
    int Cooldown() const { return m_nCooldown; }

    // Starts only when enabled, not running and the cooldown is over; false
    // when it did not start.
    bool Start();
    // Ends a running slow motion with its end sound and starts the cooldown;
    // nothing when not running.
    void Stop();
    // Each update while running: keeps the device's countdown at 480.
    void Hold();
    // The world passes' tick: counts the cooldown down; at its end the music
    // that the start stopped plays on, looping, from where it stopped.
    void TickCooldown();
    // The game is over and its music fades: the music the start stopped stays
    // stopped when the cooldown ends.
    void KeepMusicStopped() { m_Stopped.clear(); }
    // A new game: ends everything at once, without a sound or a cooldown, and
    // forgets the stopped music (the stage start plays its own).
    void Cancel();

    bool m_bEnabled = true;

private:
    void SilenceStart();

    bool m_bRunning = false;
    int m_nCooldown = 0;
    CSound* m_pStart = nullptr;
    CSound* m_pAmbience = nullptr;
    CSound* m_pEnd = nullptr;
    std::vector<CSound*> m_Stopped;   // music the start stopped, to resume
};

// The game's controller, there for the whole run (tests may point it elsewhere
// or at nothing).
extern CSlowMotion* g_pSlowMotion;
