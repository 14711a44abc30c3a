// OpenGL 1.1 and GLU, the program's whole drawing interface. In the browser the same calls are
// carried out on WebGL by render/gl_web.cpp.
#pragma once

#if defined(__EMSCRIPTEN__)
#include "render/gl_web.h"
#else
#include <GL/gl.h>
#include <GL/glu.h>
#endif
