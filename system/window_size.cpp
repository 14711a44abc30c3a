#include "system/window_size.h"

#include "render/gl.h"

void applyWindowSize(int width, int height) {
    if (height <= 0) height = 1;
    if (width <= 0) width = 1;
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0, width, height, 0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}
