// korvo: the game.
#include "app/Game.h"

int main(int argc, char** argv) { return KorvoMain(argc, argv); }
