// korvo-config: the settings program beside the game. See KorvoConfig.h.
#include "tools/korvo-config/KorvoConfig.h"

#include <iostream>
#include <string>
#include <vector>

#include <unistd.h>

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    SConfigIo io{std::cin, std::cout, std::cerr, ::isatty(0) == 1};
    return RunKorvoConfig(args, io);
}
