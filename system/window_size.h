// What a change of the window's size does: the viewport and a pixel projection (y downward) over the
// drawable area. A height of 0 is taken as 1.
#pragma once

void applyWindowSize(int width, int height);
