// Screenshots: the whole back buffer as an uncompressed 24-bit TGA, "Screenshot_N.tga" in the working
// directory, numbered from 0 in each run. A run never overwrites a file that already exists.
#pragma once

#include <string>

// Writes the next screenshot of a width x height back buffer into `directory` (default: the working
// directory). Returns the path written, or an empty string when nothing could be written (then no
// file is left behind).
std::string captureScreenshot(int width, int height, const std::string& directory = "");

// The number the next screenshot will try first; tests may put it back.
int screenshotCounter();
void setScreenshotCounter(int value);

// The TGA header for a width x height image: 18 bytes.
void writeTgaHeader(unsigned char* header, int width, int height);
