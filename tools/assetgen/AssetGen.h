// The asset generator draws, builds and synthesises every resource of the game.
// Each part writes into outDir in the override layout the game reads:
//   TEXTURE/<id>.png  TEXTUREM/<name>.png  MODEL/<id>.x  SE/<id>.ogg  BGM/<id>.ogg
// and the window icons, ICON/<size>.png.
// Output is byte-identical on every run: no clocks, no unseeded randomness, no
// dependence on the order a directory is listed in.
#pragma once
#include <string>

bool GeneratePictures(const std::string& outDir);  // pictures*.cpp
bool GenerateMeshes(const std::string& outDir);    // meshes*.cpp
bool GenerateSounds(const std::string& outDir);    // sounds*.cpp
// The window icons, ICON/32.png and ICON/64.png (RGBA): not resources of the
// library but embedded in the program by the build.
bool GenerateIcons(const std::string& outDir);     // pictures*.cpp
