// Velmora in a browser: the page's canvas, the opening and the menu of four seasons.
#include "app/platform_web.h"

int main() { return runWebProgram(); }
