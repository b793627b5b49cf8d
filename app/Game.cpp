#include "app/Game.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <cstdio>
#include <vector>
#include <memory>
#include <string>

#include "app/Autopilot.h"
#include "app/Form.h"
#include "app/FrameTimer.h"
#include "app/Options.h"
#include "app/Pause.h"
#include "app/PreparedDraws.h"
#include "app/ReplayCheck.h"
#include "app/Scene.h"
#include "app/SceneKit.h"
#include "assets/AssetSet.h"
#include "core/GameFolder.h"
#include "core/Object.h"
#include "core/Text.h"
#include "core/Util.h"
#include "gfx/GraphicsDevice.h"
#include "gfx/Noise.h"
#include "gfx/Skybox.h"
#include "gfx/Texture.h"
#include "input/InputControler.h"
#include "input/InputScript.h"
#include "persist/GlobalResult.h"
#include "persist/Replay.h"
#include "platform/Clock.h"
#include "platform/MessageBox.h"
#include "platform/PeResources.h"
#include "platform/ResourceImage.h"
#include "platform/Resources.h"
#include "platform/SingleInstance.h"
#include "platform/Window.h"
#include "sound/SoundSystem.h"
#include "stage/CustomStageControler.h"
#include "stage/Fader.h"
#include "stage/World.h"
#include "stage/WorldEvents.h"
#include "core/WorldHooks.h"
#include "core/ObjectLists.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

CInputControler* g_pInput = nullptr;
CTexture* g_pLoadingTexture = nullptr;

namespace {

constexpr int kExitOk = 0;
constexpr int kExitRunning = 1;
constexpr int kExitFailed = 255;  // -1 of the design, as a Linux exit status

bool g_bHeadless = false;

void ShowResourceMessageBox(const char* text) { ShowMessageBox(text, "", !g_bHeadless); }

// The desktop layout is kept across a display-mode switch in the design; this
// platform never switches modes (full screen is a borderless desktop window), so
// there is nothing to record or restore.
void SaveWindowLayout() {}
void RestoreWindowLayout() {}

// The mixer of a headless run has no device behind it: each step pulls exactly
// the samples of its 16 or 17 ms, so a written sound file follows the game's time
// whatever the pacing.
class COfflineAudioPump {
public:
    void Step(bool seventeen)
    {
        if (!g_pSoundDevice) return;
        m_nMilli += static_cast<long long>(seventeen ? 17 : 16) * SOUND_OUTPUT_RATE;
        const int frames = static_cast<int>(m_nMilli / 1000);
        m_nMilli %= 1000;
        if (frames <= 0) return;
        if (static_cast<int>(m_Buffer.size()) < frames * 2) m_Buffer.resize(static_cast<size_t>(frames) * 2);
        g_pSoundDevice->Render(m_Buffer.data(), frames);
    }

private:
    long long m_nMilli = 0;
    std::vector<int16_t> m_Buffer;
};

// Every warning about the game's files goes to standard error and to a log,
// so that a player who started the game from a menu can still find it.
void FileWarningToStderrAndLog(const char* text)
{
    std::fprintf(stderr, "korvo: %s\n", text);
    std::fflush(stderr);
    WriteLog(kWarningLogFile, (std::string(text) + "\n").c_str());
}

// The --home folder must be one: a file or a missing folder would otherwise
// surface as a missing score name (and the folder be made). False with the
// reason.
bool CheckHome(const SOptions& opt, std::string& error)
{
    if (opt.home.empty()) return true;
    struct stat st;
    const std::string name = "--home " + QuotedPath(opt.home);
    if (::stat(opt.home.c_str(), &st) != 0) {
        error = name + (errno == ENOENT ? " does not exist" : std::string(" cannot be reached: ") + std::strerror(errno));
        return false;
    }
    if (!S_ISDIR(st.st_mode)) {
        error = name + " is not a folder";
        return false;
    }
    return true;
}

// A --audio-out path that cannot be written stops the game before anything
// starts. Only looked at: the file is made when the sound starts, and a file
// already there stays as it is should the start fail.
bool CheckAudioOut(const SOptions& opt, std::string& error)
{
    if (opt.audioOut.empty()) return true;
    const std::string fault = WriteFaultText(opt.audioOut);
    if (fault.empty()) return true;
    error = "--audio-out " + QuotedPath(opt.audioOut) + " " + fault;
    return false;
}

const SIconPng* g_pIcons = nullptr;
int g_nIcons = 0;

// The embedded icons, decoded, on the window; a picture that does not decode
// is left out.
void SetWindowIcons(CWindow& window)
{
    std::vector<CResourceImage> images;
    for (int i = 0; i < g_nIcons; ++i) {
        CResourceImage image;
        if (DecodePngImage(g_pIcons[i].pData, g_pIcons[i].nSize, &image)) images.push_back(std::move(image));
    }
    std::vector<SWindowIcon> icons;
    for (const CResourceImage& image : images) icons.push_back({image.m_nWidth, image.m_nHeight, image.m_Pixels.data()});
    if (!icons.empty()) window.SetIcons(icons.data(), static_cast<int>(icons.size()));
}

// The first start of an installed game (its files in the player's data
// folder) from a terminal: the settings program beside it asks for the score
// name there, as 'make run' has it do for a game in its build folder. True
// when it ran and ended well; a start from the desktop's menu shows the
// message naming the command instead.
bool AskScoreNameThroughSettings()
{
    if (!IsPlayerDataFolderInUse() || !::isatty(STDIN_FILENO) || !::isatty(STDOUT_FILENO)) return false;
    const std::string program = GetExecutableDir() + "korvo-config";
    if (::access(program.c_str(), X_OK) != 0) return false;
    std::printf("Meridane Zeta needs a score name first (korvo-config --name NAME changes it later).\n");
    std::fflush(stdout);
    std::string home = GetProgramDir();
    std::vector<char*> args = {const_cast<char*>(program.c_str()), const_cast<char*>("--home"), home.data(),
                               const_cast<char*>("--ask-name"), nullptr};
    pid_t pid = -1;
    if (::posix_spawn(&pid, program.c_str(), nullptr, nullptr, args.data(), environ) != 0) return false;
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string SnapshotName(int step)
{
    char name[64];
    std::snprintf(name, sizeof name, "snapshot/frame%06d.png", step);
    return name;
}

}  // namespace

int KorvoMain(int argc, const char* const* argv)
{
    SOptions opt;
    if (argc > 1) {
        std::string error;
        if (!ParseOptions(argc, argv, opt, error) || !ResolveTypedPaths(opt, error)) {
            std::fprintf(stderr, "korvo: %s\n%s", error.c_str(), OptionsHelp().c_str());
            return kUsageExitCode;
        }
        if (opt.help) {
            std::fputs(OptionsHelp().c_str(), stdout);
            return kExitOk;
        }
    }
    g_bHeadless = opt.headless;
    g_bInvulnerable = opt.invulnerable;
    g_bAutopilot = opt.autopilot;
    {
        std::string error;
        if (!CheckHome(opt, error)) {
            std::fprintf(stderr, "korvo: %s\n", error.c_str());
            return kUsageExitCode;
        }
        if (!opt.home.empty()) {
            SetProgramDir(opt.home);
        } else if (!UseGameFolder(error)) {
            // Nowhere to keep the records and the replay: never a game that
            // would be lost without the player knowing.
            if (ShowMessageBox(error.c_str(), "", !opt.headless)) std::fprintf(stderr, "korvo: %s\n", error.c_str());
            return kExitFailed;
        }
        if (!CheckAudioOut(opt, error)) {
            std::fprintf(stderr, "korvo: %s\n", error.c_str());
            return kUsageExitCode;
        }
    }
    SetFileWarningSink(FileWarningToStderrAndLog);
    // Verifying a replay only reads: it needs no score name, keeps no records
    // and may run beside the game in the same folder.
    const bool verify = !opt.verifyReplay.empty();
    if (verify) {
        std::string why;
        if (LoadReplayToVerify(opt.verifyReplay, why) != kVerifyOk) {
            std::fprintf(stderr, "korvo: %s\n", why.c_str());
            return kVerifyDamaged;
        }
    }
    CSystemClock startClock;
    const uint32_t startMs = startClock.NowMs();

    // A script for channel 0 is read before anything starts, so that a mistake
    // in it stops the program with the line named.
    CInputScript script;
    if (!opt.inputScript.empty()) {
        std::string scriptError;
        if (!script.LoadFile(opt.inputScript, scriptError)) {
            std::fprintf(stderr, "korvo: %s\n", scriptError.c_str());
            return kUsageExitCode;
        }
    }

    // 1. One copy per user and program folder. The folder is taken as the file
    // system sees it, so that another spelling of it (a link, "DIR/.") is the
    // same game and cannot run beside it and lose its records.
    CSingleInstance instance;
    if (!verify && !instance.Acquire(kInstanceLockName, CSingleInstance::FolderScope(GetProgramDir()))) {
        std::fprintf(stderr, "korvo: another copy of the game is already running in \"%s\"\n",
                     EscapeForDisplay(GetProgramDir()).c_str());
        return kExitRunning;
    }

    // 2-3. Replay format; barrage names and records; the score name.
    g_nFormatVersion = 6;
    // Records that are there but cannot be read stop the game: it could neither
    // show them nor keep them.
    if (!LoadRecords(g_GlobalResult, g_BarrageTable)) {
        const std::string text = std::string("\"") + ResolvePath(kRecordsFile) + "\" " +
                                 ReadResultText(g_GlobalResult.GetReadResult(), kMaxSettingsFileBytes) +
                                 ": the records cannot be read.";
        ShowMessageBox(text.c_str(), "", !opt.headless);
        return kExitFailed;
    }

    // 6. Global set-up (the slow-motion controller arrives with the craft).
    SetUpGlobals();
    CreateDirectories(GetProgramDir() + "replay");
    SaveWindowLayout();

    // An installed game started from a terminal asks there for the name.
    if (!g_GlobalResult.HasScoreName() && !verify && AskScoreNameThroughSettings())
        LoadRecords(g_GlobalResult, g_BarrageTable);

    // 8. No score name: the message, and nothing else is created (not even the
    // window).
    if (!g_GlobalResult.HasScoreName() && !verify) {
        const std::string text = std::string(kNoScoreNameMessage) + "\n" + kSetScoreNameHint;
        // Also where a terminal sees it when a box took it.
        if (ShowMessageBox(text.c_str(), "", !opt.headless)) std::fprintf(stderr, "%s\n", text.c_str());
        RestoreWindowLayout();
        TearDownGlobals();
        return kExitFailed;
    }

    // 7. The window, hidden, centred on the primary screen.
    const SDisplaySettings display = ReadDisplaySettings();
    std::string error;
    const bool videoUp = CWindow::InitVideo(opt.headless, error);
    // Without a display SDL falls back to drawing offscreen: the game would run
    // unseen until killed. Only --headless asks for that.
    if (!opt.headless && !CWindow::IsOnRealDisplay()) {
        std::fprintf(stderr, "korvo: %s\n", kNoDisplayMessage);
        if (videoUp) CWindow::QuitVideo();
        RestoreWindowLayout();
        TearDownGlobals();
        return kExitNoDisplay;
    }
    SWindowConfig cfg;
    cfg.headless = opt.headless;
    cfg.openGl = !opt.nullRenderer;
    cfg.fullScreen = display.fullScreen && !opt.headless;
    cfg.scale = display.windowScale;
    cfg.title = "";
    int screenW = 0, screenH = 0;
    CWindow::GetScreenSize(screenW, screenH);
    const int centreX = (screenW - 640 * cfg.scale) / 2;
    const int centreY = (screenH - 480 * cfg.scale) / 2;
    g_pForm = new CForm(kWindowClassName, cfg, centreX, centreY);
    g_pForm->Window().SetTitle(kWindowTitle);
    SetWindowIcons(g_pForm->Window());
    g_pForm->Window().SetPosition(centreX, centreY);
    SetResourceMessageSink(ShowResourceMessageBox);

    // 9. The resource library. Without it there is nothing to show: stop, but
    // say which file was missing and where it was looked for, instead of
    // quitting silently and leaving the player guessing.
    std::string libraryMessage;
    if (OpenResourceLibrary(&libraryMessage) && GetResourceLibrary()->SkippedCount() > 0) {
        // A damaged library still runs with what it holds, but say so plainly
        // rather than only through each missing resource.
        std::fprintf(stderr, "korvo: the resource library \"%s\" is damaged (cut short?): %d resources in it cannot be read\n",
                     GetResourceLibraryPath().c_str(), GetResourceLibrary()->SkippedCount());
    } else if (!IsResourceLibraryOpen()) {
        ShowMessageBox(libraryMessage.c_str(), "", !opt.headless);
        delete g_pForm;
        g_pForm = nullptr;
        if (videoUp) CWindow::QuitVideo();
        RestoreWindowLayout();
        instance.Release();
        TearDownGlobals();
        return kExitFailed;
    }

    // 10. No mouse cursor over the game.
    g_pForm->Window().SetCursorVisible(false);

    // 11. Input, graphics, sound. The sound comes last, once the game will
    // surely run: it creates (or empties) the --audio-out file.
    g_pInput = new CInputControler(&g_pForm->Window(), true, true);
    g_pDevice = new CGraphicsDevice();
    g_pDevice->UseNullRenderer(opt.nullRenderer);
    bool deviceReady = g_pForm->IsCreated() && g_pDevice->Initialize(&g_pForm->Window(), 640, 480, 0.75f);
    if (deviceReady && opt.headless) {
        g_pSoundDevice = new CSoundSystem(CSoundSystem::Offline{});
        if (!opt.audioOut.empty()) g_pSoundDevice->OpenCapture(ResolvePath(opt.audioOut));
    } else if (deviceReady) {
        g_pSoundDevice = new CSoundSystem(&g_pForm->Window(), opt.audioOut.empty() ? "" : ResolvePath(opt.audioOut));
    }

    CSystemClock clock;
    // Neither the autopilot's runs nor a verification are a person's play.
    const bool keepsRecords = !opt.autopilot && !verify;
    int exitCode = kExitOk;
    if (deviceReady) {
        // 12-14.
        StartWorld();
        g_pForm->Show();

        // 15-18. The loading picture while the asset set loads, then the title.
        // Without the library (and no override file) there is no picture to load
        // yet; asking for it would only report it missing.
        if (IsResourceLibraryOpen() || IsRegularFile(GetOverridePath("#342", "TEXTURE", ".png")))
            g_pLoadingTexture = CTexture::Create("#342", "TEXTURE");
        InitScene();
        if (!opt.inputScript.empty()) SetSceneInputScript(&script);
        CAutopilot pilot;
        if (opt.autopilot) SetSceneAutopilot(&pilot);
        // Only a person at the window loses a game to a window in front of it.
        SetPauseOnFocusLoss(!opt.headless && opt.inputScript.empty() && !opt.autopilot);
        SetSceneStage(CStageControler::STAGE_STARTUP);
        SceneFrame();
        LoadGameAssets();
        PrepareMenuDrawing();
        if (verify) StartVerifiedReplay(opt.verbose);
        else if (opt.stage >= 0) StartTestGame(opt.stage, opt.phase);
        else SetSceneStage(CStageControler::STAGE_TITLE);

        // 19. The frame clock, then the main loop.
        CFramePacer pacer(g_FrameTimer, clock);
        pacer.Start();
        COfflineAudioPump audio;
        long long steps = 0;
        size_t nextSnapshot = 0;
        std::vector<int> snapshots = opt.snapshotAt;
        std::sort(snapshots.begin(), snapshots.end());
        if (opt.frames == 0) g_pForm->Destroy();
        while (!g_pForm->IsQuitPosted()) {
            SWindowEvent ev;
            if (g_pForm->Window().PollEvent(ev)) {
                GameWindowProc(*g_pForm, ev);
                continue;
            }
            const bool display = g_pDevice->IsVsync();
            if (pacer.BeginPass(display, opt.unpaced) && !ScenePausedFrame()) {
                SceneFrame();
                if (steps == 0) {
                    // How long the player waited for the title.
                    char line[96];
                    std::snprintf(line, sizeof line, "first title frame after %u ms\n",
                                  static_cast<unsigned>(startClock.NowMs() - startMs));
                    WriteLog("log/startup.txt", nullptr);
                    WriteLog("log/startup.txt", line);
                }
                SceneInput();
                g_FrameTimer.CountFrame();
                if (opt.headless) audio.Step(!pacer.Alternator());
                while (nextSnapshot < snapshots.size() && snapshots[nextSnapshot] < steps) ++nextSnapshot;
                if (nextSnapshot < snapshots.size() && snapshots[nextSnapshot] == steps) {
                    std::string why;
                    if (!g_pDevice->SaveSnapshotPng(SnapshotName(static_cast<int>(steps)), &why))
                        std::fprintf(stderr, "korvo: snapshot of step %lld: %s\n", steps, why.c_str());
                    ++nextSnapshot;
                }
                ++steps;
                if (opt.frames >= 0 && steps >= opt.frames) g_pForm->Destroy();
                if (opt.games > 0 && GetGamesEnded() >= opt.games) g_pForm->Destroy();
            }
            if (pacer.CheckSecond() && keepsRecords) g_GlobalResult.AddPlayTimeSecond();
            if (!g_pForm->IsQuitPosted()) pacer.WaitForNextDue(display, opt.unpaced);
        }

        SceneRunEnded();
        // Shut-down, in order.
        SetSceneAutopilot(nullptr);
        StopWorld();
        if (keepsRecords) SaveRecords(true);
        if (verify) {
            if (!g_DigestLog.HasVerdict()) g_DigestLog.Abandon();
            std::fprintf(stdout, "%s\n", g_DigestLog.Verdict().c_str());
            exitCode = g_DigestLog.ExitCode();
        }
    } else {
        ShowMessageBox(kDeviceFailedMessage, "", !opt.headless);
        // A check that could not play the replay has proved nothing.
        if (verify) exitCode = kExitFailed;
        // The design ends this case with a normal exit; the reason at least is
        // told, not only logged.
        const std::string why = !g_pForm->IsCreated() ? g_pForm->GetError() : g_pDevice->GetFailureReason();
        std::fprintf(stderr, "korvo: the graphics could not be set up: %s (see %s)\n",
                     why.empty() ? "no reason given" : why.c_str(), ResolvePath(kDeviceLogFile).c_str());
    }
    ReleaseDevices();
    g_pForm->Destroy();
    g_pForm->Window().SetCursorVisible(true);
    delete g_pForm;
    g_pForm = nullptr;
    CloseResourceLibrary();
    if (videoUp) CWindow::QuitVideo();
    RestoreWindowLayout();
    TearDownGlobals();
    instance.Release();
    return exitCode;
}

void ReleaseDevices()
{
    g_pDeviceLink = nullptr;
    if (g_pDevice) {
        g_pDevice->Release();
        delete g_pDevice;
        g_pDevice = nullptr;
    }
    delete g_pInput;
    g_pInput = nullptr;
    delete g_pSoundDevice;
    g_pSoundDevice = nullptr;
}

void SetGameIcons(const SIconPng* icons, int count)
{
    g_pIcons = icons;
    g_nIcons = icons ? count : 0;
}

void SetUpGlobals()
{
    g_pFader = new CFader();
    g_pSkybox = new CSkybox2();
}

void TearDownGlobals()
{
    delete g_pSkybox;
    g_pSkybox = nullptr;
    delete g_pFader;
    g_pFader = nullptr;
}

void StartWorld()
{
    g_pDeviceLink = g_pDevice;
    // The device steps the noise and reads its fade; registering it also
    // kills it, so no noise shows until something starts it.
    g_pDevice->SetNoise(&g_Noise);
    g_pDevice->SetPlayFieldViewport();
    g_pWorldAnchor = new CObject(g_pDevice);
    g_pWorldAnchor->m_bLocked = true;
}

void LoadGameAssets()
{
    LoadAssetSet();
    CreateWorldObjects();
    CreateMenuObjects();
}

void ReleaseGameAssets()
{
    ReleaseMenuObjects();
    ReleaseWorldObjects();
    ReleaseAssetSet();
}

void StopWorld()
{
    EndScenePause();
    SetSceneInputScript(nullptr);
    ClearWorld();
    g_StageControler.Shutdown();
    DeleteAll(g_MusicList);
    ReleaseGameAssets();
    g_pWorldHooks = nullptr;
    g_pWorldEvents = nullptr;
    if (g_pLoadingTexture) {
        g_pLoadingTexture->Release();
        delete g_pLoadingTexture;
        g_pLoadingTexture = nullptr;
    }
    delete g_pWorldAnchor;
    g_pWorldAnchor = nullptr;
    if (g_pDevice) g_pDevice->SetNoise(nullptr);
}
