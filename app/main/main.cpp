// korvo: the game.
#include "app/Game.h"

// The window icons, embedded by the build.
extern const SIconPng kGameIcons[];
extern const int kGameIconCount;

int main(int argc, char** argv)
{
    SetGameIcons(kGameIcons, kGameIconCount);
    return KorvoMain(argc, argv);
}
