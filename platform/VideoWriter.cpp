#include "platform/VideoWriter.h"

#include <dlfcn.h>

#include <cctype>

#include "core/Util.h"
#include "platform/VideoEncoder.h"

#ifndef MZ_MODULE_FROM_BIN
#error "the build names the path from the programs' folder to the installed modules (MZ_MODULE_FROM_BIN)"
#endif

namespace {

bool EndsWith(const std::string& text, const char* suffix)
{
    const std::string s(suffix);
    if (text.size() < s.size()) return false;
    for (size_t i = 0; i < s.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[text.size() - s.size() + i])) != s[i]) return false;
    return true;
}

// The encoder module's entry, loaded once and kept for the rest of the run:
// beside the program in a build, in the installed library folder otherwise.
MzNewVideoEncoderFn LoadEncoderModule(std::string& error)
{
    static MzNewVideoEncoderFn s_pEntry = nullptr;
    if (s_pEntry) return s_pEntry;
    const std::string exeDir = GetExecutableDir();
    // Never a module from wherever the player happens to be.
    if (exeDir.empty() || exeDir[0] != '/') {
        error = std::string("cannot be written: the program's own folder is unknown, so is its ") + kVideoModuleName;
        return nullptr;
    }
    const std::string tried[] = {exeDir + kVideoModuleName, exeDir + MZ_MODULE_FROM_BIN + "/" + kVideoModuleName};
    std::string faults;
    for (const std::string& path : tried) {
        void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!module) {
            const char* why = dlerror();
            faults += "\n  " + (why ? std::string(why) : path);
            continue;
        }
        s_pEntry = reinterpret_cast<MzNewVideoEncoderFn>(dlsym(module, kVideoEncoderEntry));
        if (s_pEntry) return s_pEntry;
        faults += "\n  " + path + ": no " + kVideoEncoderEntry;
        dlclose(module);
    }
    error = std::string("cannot be written: the video module ") + kVideoModuleName + " does not load:" + faults;
    return nullptr;
}

}  // namespace

CVideoWriter::EFormat CVideoWriter::FormatOf(const std::string& path)
{
    if (EndsWith(path, ".webm")) return EFormat::WebM;
    if (EndsWith(path, ".mp4")) return EFormat::Mp4;
    return EFormat::None;
}

CVideoWriter::CVideoWriter() = default;

CVideoWriter::~CVideoWriter()
{
    if (IsOpen()) Close(nullptr);
}

bool CVideoWriter::Open(const std::string& path, int width, int height, int fps, int audioRate, std::string* pError)
{
    m_p.reset();
    std::string error;
    const EFormat format = FormatOf(path);
    if (format == EFormat::None) error = "names no video format: give a file ending in .webm or .mp4";
    const MzNewVideoEncoderFn entry = error.empty() ? LoadEncoderModule(error) : nullptr;
    if (entry) {
        std::unique_ptr<IVideoEncoder> encoder(entry());
        if (encoder && encoder->Open(path, format == EFormat::WebM, width, height, fps, audioRate, error)) {
            m_p = std::move(encoder);
            return true;
        }
    }
    if (pError) *pError = error;
    return false;
}

bool CVideoWriter::AddPicture(const uint32_t* pArgb)
{
    return IsOpen() && m_p->AddPicture(pArgb);
}

bool CVideoWriter::AddSound(const int16_t* pStereo, int nFrames)
{
    return IsOpen() && m_p->AddSound(pStereo, nFrames);
}

bool CVideoWriter::Close(std::string* pError)
{
    if (!m_p) return true;
    std::string error;
    const bool ok = m_p->Close(error);
    if (!ok && pError) *pError = error;
    m_p.reset();
    return ok;
}

bool CVideoWriter::IsOpen() const
{
    return m_p && m_p->IsOpen();
}

const std::string& CVideoWriter::Fault() const
{
    static const std::string kNone;
    return m_p ? m_p->Fault() : kNone;
}
