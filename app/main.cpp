// Velmora: opens full screen at the desktop's size, plays the opening and the menu of four seasons.
#include "app/platform_sdl.h"

int main() { return runSdlProgram(); }
