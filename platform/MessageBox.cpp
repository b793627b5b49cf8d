#include "platform/MessageBox.h"

#include <SDL2/SDL.h>

#include <cstdio>
#include <cstdlib>

bool ShowMessageBox(const char* text, const char* caption, bool allowWindow)
{
    if (!text) text = "";
    if (!caption) caption = "";
    // Without a display server to talk to a box cannot appear; do not let SDL try.
    const bool display = std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY");
    if (allowWindow && display &&
        SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, caption, text, nullptr) == 0)
        return true;
    std::fprintf(stderr, "%s%s%s\n", caption, *caption ? ": " : "", text);
    std::fflush(stderr);
    return false;
}
