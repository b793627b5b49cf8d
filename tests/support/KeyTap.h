// A key pressed and released as SDL queues them, both before the next read of
// the keyboard: a tap shorter than a frame.
#pragma once

#include <SDL.h>

inline void TapKey(SDL_Scancode sc)
{
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.keysym.scancode = sc;
    SDL_PushEvent(&e);
    e.type = SDL_KEYUP;
    SDL_PushEvent(&e);
}
