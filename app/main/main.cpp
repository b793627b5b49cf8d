// korvo: the game.
#include "app/Game.h"
#include "platform/ProcessMemory.h"

// The window icons, embedded by the build.
extern const SIconPng kGameIcons[];
extern const int kGameIconCount;

int main(int argc, char** argv)
{
    KeepLargeBlocksOutOfTheHeap();
    SetGameIcons(kGameIcons, kGameIconCount);
    return KorvoMain(argc, argv);
}
