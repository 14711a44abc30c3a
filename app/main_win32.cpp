// Velmora on Windows: opens full screen at the desktop's size, plays the opening and the menu of four
// seasons. The command line is ignored.
#include "app/platform_win32.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) { return runWin32Program(instance); }
