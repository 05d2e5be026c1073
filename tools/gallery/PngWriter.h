// Writes an image as a PNG file: 8-bit, with a palette when the picture has
// at most 256 colours and RGB otherwise, its zlib stream made of stored
// (uncompressed) deflate blocks, so no compressor is needed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/DrawingSurface.h"

// The file's bytes for the surface's pixels.
std::vector<uint8_t> EncodePng(const TDrawingSurface& image);
// Writes the file; false when it cannot be written.
bool WritePng(const TDrawingSurface& image, const std::string& path);
