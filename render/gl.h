// OpenGL 1.1 and GLU, the program's whole drawing interface.
#pragma once

#include <GL/gl.h>
#include <GL/glu.h>
