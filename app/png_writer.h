// PNG files through libpng: 8-bit RGB at zlib's fastest level with the cheap "up" filter. Lossless;
// the files are larger than the smallest possible, and written several times faster.
#pragma once

#include <string>

// Writes rows from the top to `path`. On failure returns false, leaves no file and, when `why` is
// given, says why ("No space left on device").
bool writePng(const std::string& path, int width, int height, const unsigned char* rgbTopDown,
              std::string* why = nullptr);
