// Writing the back buffer to image files: BMP for snapshots taken with F11, PNG
// for the snapshots of the --snapshot-at option.
#pragma once

#include <cstdint>
#include <string>

// pixels: width * height words 0xAARRGGBB, rows top first. The files hold the
// colour only (24-bit). False when the file cannot be written.
bool WriteBmp24(const std::string& path, int width, int height, const uint32_t* pixels);
bool WritePng24(const std::string& path, int width, int height, const uint32_t* pixels);
