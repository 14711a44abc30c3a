// The program's drawing interface in the browser: the OpenGL 1.1 and GLU calls the program makes,
// carried out on WebGL (render/gl_web.cpp). Matrix stacks, immediate mode and client arrays are kept
// here; vertices are transformed as they arrive and gathered into one buffer, which is drawn whenever
// a state that changes pixels (texture, blending, depth, alpha test, viewport, a clear) changes.
// Only what the program uses is there: one texture unit in modulate mode, the alpha test GL_GREATER,
// no lighting, fog or display lists.
#pragma once

#include <GLES2/gl2.h>

typedef double GLdouble;

#define GL_QUADS 0x0007
#define GL_POLYGON 0x0009
#define GL_MODELVIEW 0x1700
#define GL_PROJECTION 0x1701
#define GL_MODELVIEW_MATRIX 0x0BA6
#define GL_PROJECTION_MATRIX 0x0BA7
#define GL_ALPHA_TEST 0x0BC0
#define GL_VERTEX_ARRAY 0x8074
#define GL_TEXTURE_COORD_ARRAY 0x8078
#define GL_FLAT 0x1D00
#define GL_SMOOTH 0x1D01
#define GL_POINT_SMOOTH_HINT 0x0C51

// Calls WebGL has under the same name, with a meaning the layer must add to: taken over here.
#ifndef VELMORA_GL_WEB_IMPLEMENTATION
#define glEnable webglEnable
#define glDisable webglDisable
#define glBlendFunc webglBlendFunc
#define glBindTexture webglBindTexture
#define glTexParameteri webglTexParameteri
#define glTexImage2D webglTexImage2D
#define glClear webglClear
#define glViewport webglViewport
#define glLineWidth webglLineWidth
#define glReadPixels webglReadPixels
#define glDrawArrays webglDrawArrays
#define glDrawElements webglDrawElements
#define glHint webglHint
#define glFlush webglFlush
#define glFinish webglFinish
#define glClearColor webglClearColor
#endif

void webglEnable(GLenum cap);
void webglDisable(GLenum cap);
void webglBlendFunc(GLenum source, GLenum destination);
void webglBindTexture(GLenum target, GLuint texture);
void webglTexParameteri(GLenum target, GLenum name, GLint value);
// Any internal format is taken as `format` (WebGL wants the two equal).
void webglTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height,
                     GLint border, GLenum format, GLenum type, const void* pixels);
void webglClear(GLbitfield mask);
void webglViewport(GLint x, GLint y, GLsizei width, GLsizei height);
// Lines wider than a pixel are drawn as thin quads (WebGL's own lines are one pixel wide).
void webglLineWidth(GLfloat width);
// GL_RGB is read as RGBA and packed (WebGL reads only RGBA).
void webglReadPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type, void* pixels);
void webglDrawArrays(GLenum mode, GLint first, GLsizei count);
void webglDrawElements(GLenum mode, GLsizei count, GLenum type, const void* indices);
void webglHint(GLenum target, GLenum mode);
void webglFlush();
void webglFinish();
void webglClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a);

// Immediate mode.
void glBegin(GLenum mode);
void glEnd();
void glVertex2f(GLfloat x, GLfloat y);
void glVertex3f(GLfloat x, GLfloat y, GLfloat z);
void glTexCoord2f(GLfloat s, GLfloat t);
void glColor3f(GLfloat r, GLfloat g, GLfloat b);
void glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a);
void glColor3ub(GLubyte r, GLubyte g, GLubyte b);
void glColor4ub(GLubyte r, GLubyte g, GLubyte b, GLubyte a);

// Client arrays (vertices of 2 or 3 floats, texture coordinates of 2 floats).
void glEnableClientState(GLenum array);
void glDisableClientState(GLenum array);
void glVertexPointer(GLint size, GLenum type, GLsizei stride, const void* pointer);
void glTexCoordPointer(GLint size, GLenum type, GLsizei stride, const void* pointer);

// Matrix stacks.
void glMatrixMode(GLenum mode);
void glLoadIdentity();
void glPushMatrix();
void glPopMatrix();
void glTranslatef(GLfloat x, GLfloat y, GLfloat z);
void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z);
void glScalef(GLfloat x, GLfloat y, GLfloat z);
void glMultMatrixf(const GLfloat* m);
void glGetDoublev(GLenum name, GLdouble* values);

// Fixed-function state.
void glAlphaFunc(GLenum func, GLclampf ref);
void glShadeModel(GLenum mode);

// GLU.
void gluPerspective(GLdouble fovY, GLdouble aspect, GLdouble zNear, GLdouble zFar);
void gluOrtho2D(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top);
void gluLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centreX, GLdouble centreY, GLdouble centreZ,
               GLdouble upX, GLdouble upY, GLdouble upZ);
GLint gluProject(GLdouble objX, GLdouble objY, GLdouble objZ, const GLdouble* model, const GLdouble* proj,
                 const GLint* viewport, GLdouble* winX, GLdouble* winY, GLdouble* winZ);
GLint gluUnProject(GLdouble winX, GLdouble winY, GLdouble winZ, const GLdouble* model, const GLdouble* proj,
                   const GLint* viewport, GLdouble* objX, GLdouble* objY, GLdouble* objZ);
// Level 0 from the pixels, the smaller levels made by WebGL (sizes are powers of two here).
GLint gluBuild2DMipmaps(GLenum target, GLint internalFormat, GLsizei width, GLsizei height, GLenum format,
                        GLenum type, const void* pixels);

// Makes the layer's program and buffer: once, with the WebGL context current.
bool webglLayerInit();
// After a lost context came back: the program and buffer made again, every texture filled again under
// its old name, and the state the program had set (capabilities, blending, clear colour, viewport).
// The recorded shapes are vertex lists in memory and need nothing.
void webglLayerRestore();
