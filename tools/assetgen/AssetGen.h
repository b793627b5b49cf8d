// The asset generator draws, builds and synthesises every resource of the game.
// Each part writes into outDir in the override layout the game reads:
//   TEXTURE/<id>.png  TEXTUREM/<name>.png  MODEL/<id>.x  SE/<id>.ogg  BGM/<id>.ogg
// and the icons, ICON/<size>.png.
// Output is byte-identical on every run: no clocks, no unseeded randomness, no
// dependence on the order a directory is listed in.
#pragma once
#include <string>

bool GeneratePictures(const std::string& outDir);  // pictures*.cpp
bool GenerateMeshes(const std::string& outDir);    // meshes*.cpp
bool GenerateSounds(const std::string& outDir);    // sounds*.cpp
// The icons, ICON/<size>.png (RGBA) for 16, 22, 24, 32, 48, 64, 128 and 256:
// not resources of the library; the build embeds 32 and 64 in the program as
// its window icons and installs every size for the desktop.
bool GenerateIcons(const std::string& outDir);     // pictures*.cpp
