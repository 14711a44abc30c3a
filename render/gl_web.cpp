// The fixed-function drawing the program needs, on WebGL (see render/gl_web.h).
#define VELMORA_GL_WEB_IMPLEMENTATION
#include "render/gl_web.h"

#include <cmath>
#include <cstddef>
#include <cstring>
#include <map>
#include <vector>

#include <emscripten.h>

namespace {

struct Matrix {
    float m[16];
};

const Matrix identity = {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};

// a = a x b, column order, accumulated in the order the desktop renderer does.
void multiplyInto(Matrix& a, const float* b) {
    Matrix r;
    for (int c = 0; c < 4; ++c)
        for (int row = 0; row < 4; ++row)
            r.m[row + 4 * c] = a.m[row] * b[4 * c] + a.m[row + 4] * b[4 * c + 1] + a.m[row + 8] * b[4 * c + 2] +
                               a.m[row + 12] * b[4 * c + 3];
    a = r;
}

struct Vertex {  // as drawn: clip coordinates, colour, texture coordinates
    float x, y, z, w, r, g, b, a, s, t;
};

struct Input {  // as given: object coordinates with the colour and texture coordinates current then
    float x, y, z, r, g, b, a, s, t;
};

enum Batch { NONE, TRIANGLES, LINES, POINTS };

struct State {
    std::vector<Matrix> modelview{identity}, projection{identity};
    bool projectionMode = false;
    float colour[4] = {1, 1, 1, 1};
    float texCoord[2] = {0, 0};
    GLenum mode = 0;
    std::vector<Input> primitive;
    bool texturing = false, alphaTest = false;
    float alphaRef = 0;
    bool vertexArray = false, texCoordArray = false;
    const float* vertexPointer = nullptr;
    int vertexSize = 3, vertexStride = 0;
    const float* texCoordPointer = nullptr;
    int texCoordStride = 0;
    float lineWidth = 1;
    float viewportWidth = 1, viewportHeight = 1;
    Batch batch = NONE;
    std::vector<Vertex> vertices;
    GLuint program = 0, buffer = 0;
    GLint texturingAt = -1, alphaTestAt = -1, alphaRefAt = -1;
};
State* gl = nullptr;

// What a lost context takes with it and the layer gives back on restore: every texture's level 0 and
// parameters (under the same name), the capabilities switched on, blending, clear colour, viewport.
struct Texture {
    std::vector<std::pair<GLenum, GLint>> parameters;
    GLsizei width = 0, height = 0;
    GLenum format = GL_RGBA, type = GL_UNSIGNED_BYTE;
    std::vector<unsigned char> pixels;
    bool mipmaps = false;
};
struct Kept {
    std::map<GLuint, Texture> textures;
    GLuint bound = 0;
    std::map<GLenum, bool> capabilities;
    GLenum blendSource = GL_ONE, blendDestination = GL_ZERO;
    float clearColour[4] = {0, 0, 0, 0};
    GLint viewport[4] = {0, 0, 0, 0};
};
Kept kept;

State& state() {
    if (!gl) gl = new State();
    return *gl;
}

Matrix& current() {
    State& s = state();
    return s.projectionMode ? s.projection.back() : s.modelview.back();
}

void flush() {
    State& s = state();
    if (s.vertices.empty() || !s.program) {
        s.vertices.clear();
        return;
    }
    glUseProgram(s.program);
    glBindBuffer(GL_ARRAY_BUFFER, s.buffer);
    glBufferData(GL_ARRAY_BUFFER, (GLsizeiptr)(s.vertices.size() * sizeof(Vertex)), s.vertices.data(),
                 GL_STREAM_DRAW);
    glUniform1f(s.texturingAt, s.texturing ? 1.0f : 0.0f);
    glUniform1f(s.alphaTestAt, s.alphaTest ? 1.0f : 0.0f);
    glUniform1f(s.alphaRefAt, s.alphaRef);
    GLenum mode = s.batch == TRIANGLES ? GL_TRIANGLES : s.batch == LINES ? GL_LINES : GL_POINTS;
    glDrawArrays(mode, 0, (GLsizei)s.vertices.size());
    s.vertices.clear();
}

// The two ends of every segment of a line primitive, added to `b` in pairs.
void emitLines(GLenum mode, const std::vector<Vertex>& out, std::vector<Vertex>& b) {
    size_t n = out.size();
    if (mode == GL_LINES) {
        for (size_t i = 0; i + 1 < n; i += 2) b.push_back(out[i]), b.push_back(out[i + 1]);
        return;
    }
    for (size_t i = 0; i + 1 < n; ++i) b.push_back(out[i]), b.push_back(out[i + 1]);
    if (mode == GL_LINE_LOOP && n > 2) b.push_back(out[n - 1]), b.push_back(out[0]);
}

// A segment lineWidth pixels wide as two triangles: its ends pushed apart across the segment on the
// screen, by half the width each way. A segment reaching behind the eye is left out.
void addWideSegment(const Vertex& a, const Vertex& c) {
    State& s = state();
    if (a.w <= 0 || c.w <= 0) return;
    float halfW = s.viewportWidth / 2, halfH = s.viewportHeight / 2;
    float dx = (c.x / c.w - a.x / a.w) * halfW, dy = (c.y / c.w - a.y / a.w) * halfH;
    float length = std::sqrt(dx * dx + dy * dy);
    if (length <= 0) return;
    float nx = -dy / length * s.lineWidth / 2 / halfW, ny = dx / length * s.lineWidth / 2 / halfH;
    auto shifted = [](Vertex v, float x, float y) {
        v.x += x * v.w;
        v.y += y * v.w;
        return v;
    };
    Vertex a0 = shifted(a, nx, ny), a1 = shifted(a, -nx, -ny), c0 = shifted(c, nx, ny), c1 = shifted(c, -nx, -ny);
    for (const Vertex& v : {a0, a1, c0, a1, c1, c0}) s.vertices.push_back(v);
}

// Transforms the primitive's vertices and adds them to the batch as triangles, lines or points.
void emit(GLenum mode, const std::vector<Input>& in) {
    State& s = state();
    bool lines = mode == GL_LINES || mode == GL_LINE_STRIP || mode == GL_LINE_LOOP;
    bool wide = lines && s.lineWidth > 1;  // WebGL draws lines one pixel wide only: quads instead
    Batch kind = lines && !wide ? LINES : mode == GL_POINTS ? POINTS : TRIANGLES;
    if (kind != s.batch) {
        flush();
        s.batch = kind;
    }
    Matrix pm = s.projection.back();
    multiplyInto(pm, s.modelview.back().m);
    std::vector<Vertex> out(in.size());
    for (size_t i = 0; i < in.size(); ++i) {
        const Input& v = in[i];
        const float* m = pm.m;
        out[i] = Vertex{m[0] * v.x + m[4] * v.y + m[8] * v.z + m[12], m[1] * v.x + m[5] * v.y + m[9] * v.z + m[13],
                        m[2] * v.x + m[6] * v.y + m[10] * v.z + m[14], m[3] * v.x + m[7] * v.y + m[11] * v.z + m[15],
                        v.r, v.g, v.b, v.a, v.s, v.t};
    }
    std::vector<Vertex>& b = s.vertices;
    size_t n = out.size();
    auto add = [&](size_t i) { b.push_back(out[i]); };
    if (wide) {
        std::vector<Vertex> ends;
        emitLines(mode, out, ends);
        for (size_t i = 0; i + 1 < ends.size(); i += 2) addWideSegment(ends[i], ends[i + 1]);
        return;
    }
    switch (mode) {
    case GL_POINTS:
    case GL_LINES:
    case GL_TRIANGLES:
        for (size_t i = 0; i < n; ++i) add(i);
        break;
    case GL_LINE_STRIP:
    case GL_LINE_LOOP:
        emitLines(mode, out, b);
        break;
    case GL_TRIANGLE_STRIP:
        for (size_t i = 0; i + 2 < n; ++i) {
            if (i % 2 == 0) add(i), add(i + 1), add(i + 2);
            else add(i + 1), add(i), add(i + 2);
        }
        break;
    case GL_TRIANGLE_FAN:
    case GL_POLYGON:
        for (size_t i = 1; i + 1 < n; ++i) add(0), add(i), add(i + 1);
        break;
    case GL_QUADS:
        for (size_t q = 0; q + 3 < n; q += 4)
            for (size_t c : {0, 1, 3, 1, 2, 3}) add(q + c);
        break;
    default:
        break;
    }
}

Input arrayVertex(int i) {
    State& s = state();
    Input v{0, 0, 0, s.colour[0], s.colour[1], s.colour[2], s.colour[3], s.texCoord[0], s.texCoord[1]};
    if (s.vertexArray && s.vertexPointer) {
        int stride = s.vertexStride ? s.vertexStride / 4 : s.vertexSize;
        const float* p = s.vertexPointer + (size_t)i * stride;
        v.x = p[0];
        v.y = p[1];
        v.z = s.vertexSize > 2 ? p[2] : 0;
    }
    if (s.texCoordArray && s.texCoordPointer) {
        int stride = s.texCoordStride ? s.texCoordStride / 4 : 2;
        const float* p = s.texCoordPointer + (size_t)i * stride;
        v.s = p[0];
        v.t = p[1];
    }
    return v;
}

GLuint compile(GLenum type, const char* source) {
    GLuint shader = glCreateShader(type);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    return shader;
}

const char* vertexShader = R"(
attribute vec4 position;
attribute vec4 colour;
attribute vec2 texCoord;
varying vec4 vColour;
varying vec2 vTexCoord;
void main() {
    gl_Position = position;
    gl_PointSize = 1.0;
    vColour = colour;
    vTexCoord = texCoord;
})";

const char* fragmentShader = R"(
precision mediump float;
uniform sampler2D sheet;
uniform float texturing;
uniform float alphaTest;
uniform float alphaRef;
varying vec4 vColour;
varying vec2 vTexCoord;
void main() {
    vec4 c = vColour;
    if (texturing > 0.5) c *= texture2D(sheet, vTexCoord);
    if (alphaTest > 0.5 && !(c.a > alphaRef)) discard;
    gl_FragColor = c;
})";

// Inverts a 4x4 matrix (column order); false if it is singular.
bool invert(const double* m, double* out) {
    double inv[16];
    inv[0] = m[5] * m[10] * m[15] - m[5] * m[11] * m[14] - m[9] * m[6] * m[15] + m[9] * m[7] * m[14] +
             m[13] * m[6] * m[11] - m[13] * m[7] * m[10];
    inv[4] = -m[4] * m[10] * m[15] + m[4] * m[11] * m[14] + m[8] * m[6] * m[15] - m[8] * m[7] * m[14] -
             m[12] * m[6] * m[11] + m[12] * m[7] * m[10];
    inv[8] = m[4] * m[9] * m[15] - m[4] * m[11] * m[13] - m[8] * m[5] * m[15] + m[8] * m[7] * m[13] +
             m[12] * m[5] * m[11] - m[12] * m[7] * m[9];
    inv[12] = -m[4] * m[9] * m[14] + m[4] * m[10] * m[13] + m[8] * m[5] * m[14] - m[8] * m[6] * m[13] -
              m[12] * m[5] * m[10] + m[12] * m[6] * m[9];
    inv[1] = -m[1] * m[10] * m[15] + m[1] * m[11] * m[14] + m[9] * m[2] * m[15] - m[9] * m[3] * m[14] -
             m[13] * m[2] * m[11] + m[13] * m[3] * m[10];
    inv[5] = m[0] * m[10] * m[15] - m[0] * m[11] * m[14] - m[8] * m[2] * m[15] + m[8] * m[3] * m[14] +
             m[12] * m[2] * m[11] - m[12] * m[3] * m[10];
    inv[9] = -m[0] * m[9] * m[15] + m[0] * m[11] * m[13] + m[8] * m[1] * m[15] - m[8] * m[3] * m[13] -
             m[12] * m[1] * m[11] + m[12] * m[3] * m[9];
    inv[13] = m[0] * m[9] * m[14] - m[0] * m[10] * m[13] - m[8] * m[1] * m[14] + m[8] * m[2] * m[13] +
              m[12] * m[1] * m[10] - m[12] * m[2] * m[9];
    inv[2] = m[1] * m[6] * m[15] - m[1] * m[7] * m[14] - m[5] * m[2] * m[15] + m[5] * m[3] * m[14] +
             m[13] * m[2] * m[7] - m[13] * m[3] * m[6];
    inv[6] = -m[0] * m[6] * m[15] + m[0] * m[7] * m[14] + m[4] * m[2] * m[15] - m[4] * m[3] * m[14] -
             m[12] * m[2] * m[7] + m[12] * m[3] * m[6];
    inv[10] = m[0] * m[5] * m[15] - m[0] * m[7] * m[13] - m[4] * m[1] * m[15] + m[4] * m[3] * m[13] +
              m[12] * m[1] * m[7] - m[12] * m[3] * m[5];
    inv[14] = -m[0] * m[5] * m[14] + m[0] * m[6] * m[13] + m[4] * m[1] * m[14] - m[4] * m[2] * m[13] -
              m[12] * m[1] * m[6] + m[12] * m[2] * m[5];
    inv[3] = -m[1] * m[6] * m[11] + m[1] * m[7] * m[10] + m[5] * m[2] * m[11] - m[5] * m[3] * m[10] -
             m[9] * m[2] * m[7] + m[9] * m[3] * m[6];
    inv[7] = m[0] * m[6] * m[11] - m[0] * m[7] * m[10] - m[4] * m[2] * m[11] + m[4] * m[3] * m[10] +
             m[8] * m[2] * m[7] - m[8] * m[3] * m[6];
    inv[11] = -m[0] * m[5] * m[11] + m[0] * m[7] * m[9] + m[4] * m[1] * m[11] - m[4] * m[3] * m[9] -
              m[8] * m[1] * m[7] + m[8] * m[3] * m[5];
    inv[15] = m[0] * m[5] * m[10] - m[0] * m[6] * m[9] - m[4] * m[1] * m[10] + m[4] * m[2] * m[9] +
              m[8] * m[1] * m[6] - m[8] * m[2] * m[5];
    double det = m[0] * inv[0] + m[1] * inv[4] + m[2] * inv[8] + m[3] * inv[12];
    if (det == 0) return false;
    for (int i = 0; i < 16; ++i) out[i] = inv[i] / det;
    return true;
}

void transform(const double* m, const double* in, double* out) {
    for (int r = 0; r < 4; ++r) out[r] = m[r] * in[0] + m[r + 4] * in[1] + m[r + 8] * in[2] + m[r + 12] * in[3];
}

void multiplyDouble(const double* a, const double* b, double* out) {
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r)
            out[r + 4 * c] = a[r] * b[4 * c] + a[r + 4] * b[4 * c + 1] + a[r + 8] * b[4 * c + 2] + a[r + 12] * b[4 * c + 3];
}

}  // namespace

bool webglLayerInit() {
    State& s = state();
    GLuint program = glCreateProgram();
    glAttachShader(program, compile(GL_VERTEX_SHADER, vertexShader));
    glAttachShader(program, compile(GL_FRAGMENT_SHADER, fragmentShader));
    glBindAttribLocation(program, 0, "position");
    glBindAttribLocation(program, 1, "colour");
    glBindAttribLocation(program, 2, "texCoord");
    glLinkProgram(program);
    GLint linked = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (!linked) return false;
    s.program = program;
    s.texturingAt = glGetUniformLocation(program, "texturing");
    s.alphaTestAt = glGetUniformLocation(program, "alphaTest");
    s.alphaRefAt = glGetUniformLocation(program, "alphaRef");
    glUseProgram(program);
    glUniform1i(glGetUniformLocation(program, "sheet"), 0);
    glGenBuffers(1, &s.buffer);
    glBindBuffer(GL_ARRAY_BUFFER, s.buffer);
    const GLsizei stride = sizeof(Vertex);
    glEnableVertexAttribArray(0);
    glEnableVertexAttribArray(1);
    glEnableVertexAttribArray(2);
    glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, stride, (const void*)offsetof(Vertex, x));
    glVertexAttribPointer(1, 4, GL_FLOAT, GL_FALSE, stride, (const void*)offsetof(Vertex, r));
    glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, stride, (const void*)offsetof(Vertex, s));
    return true;
}

void webglEnable(GLenum cap) {
    flush();
    if (cap == GL_TEXTURE_2D) state().texturing = true;
    else if (cap == GL_ALPHA_TEST) state().alphaTest = true;
    else glEnable(cap), kept.capabilities[cap] = true;
}

void webglDisable(GLenum cap) {
    flush();
    if (cap == GL_TEXTURE_2D) state().texturing = false;
    else if (cap == GL_ALPHA_TEST) state().alphaTest = false;
    else glDisable(cap), kept.capabilities[cap] = false;
}

void webglBlendFunc(GLenum source, GLenum destination) {
    flush();
    glBlendFunc(source, destination);
    kept.blendSource = source;
    kept.blendDestination = destination;
}

void webglBindTexture(GLenum target, GLuint texture) {
    flush();
    glBindTexture(target, texture);
    kept.bound = texture;
}

void webglTexParameteri(GLenum target, GLenum name, GLint value) {
    flush();
    glTexParameteri(target, name, value);
    if (kept.bound) kept.textures[kept.bound].parameters.emplace_back(name, value);
}

void webglTexImage2D(GLenum target, GLint level, GLint, GLsizei width, GLsizei height, GLint border,
                     GLenum format, GLenum type, const void* pixels) {
    flush();
    glTexImage2D(target, level, (GLint)format, width, height, border, format, type, pixels);
    if (!kept.bound || level != 0 || type != GL_UNSIGNED_BYTE) return;
    Texture& t = kept.textures[kept.bound];
    const size_t bytes = (size_t)width * height * (format == GL_RGBA ? 4 : format == GL_RGB ? 3 : 1);
    t.width = width;
    t.height = height;
    t.format = format;
    t.type = type;
    t.mipmaps = false;
    t.pixels.assign(static_cast<const unsigned char*>(pixels), static_cast<const unsigned char*>(pixels) + (pixels ? bytes : 0));
}

void webglClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a) {
    glClearColor(r, g, b, a);
    kept.clearColour[0] = r, kept.clearColour[1] = g, kept.clearColour[2] = b, kept.clearColour[3] = a;
}

void webglClear(GLbitfield mask) {
    flush();
    glClear(mask);
}

void webglViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
    flush();
    state().viewportWidth = width > 0 ? (float)width : 1;
    state().viewportHeight = height > 0 ? (float)height : 1;
    glViewport(x, y, width, height);
    kept.viewport[0] = x, kept.viewport[1] = y, kept.viewport[2] = width, kept.viewport[3] = height;
}

void webglLineWidth(GLfloat width) {
    flush();
    state().lineWidth = width;
}

void webglReadPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type, void* pixels) {
    flush();
    if (format == GL_RGBA) {
        glReadPixels(x, y, width, height, format, type, pixels);
        return;
    }
    std::vector<unsigned char> rgba((size_t)width * height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    // Packed rows of 3 x width bytes: the only packing the program asks for.
    unsigned char* out = static_cast<unsigned char*>(pixels);
    for (size_t i = 0; i < (size_t)width * height; ++i) std::memcpy(out + 3 * i, &rgba[4 * i], 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
}

void webglDrawArrays(GLenum mode, GLint first, GLsizei count) {
    std::vector<Input> in;
    for (GLsizei i = 0; i < count; ++i) in.push_back(arrayVertex(first + i));
    emit(mode, in);
}

void webglDrawElements(GLenum mode, GLsizei count, GLenum type, const void* indices) {
    std::vector<Input> in;
    for (GLsizei i = 0; i < count; ++i) {
        int index = type == GL_UNSIGNED_INT     ? (int)static_cast<const GLuint*>(indices)[i]
                    : type == GL_UNSIGNED_SHORT ? static_cast<const GLushort*>(indices)[i]
                                                : static_cast<const GLubyte*>(indices)[i];
        in.push_back(arrayVertex(index));
    }
    emit(mode, in);
}

void webglHint(GLenum, GLenum) {}
void webglFlush() {
    flush();
    glFlush();
}
void webglFinish() {
    flush();
    glFinish();
}

void glBegin(GLenum mode) {
    state().mode = mode;
    state().primitive.clear();
}

void glEnd() { emit(state().mode, state().primitive); }

void glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
    State& s = state();
    s.primitive.push_back(
        Input{x, y, z, s.colour[0], s.colour[1], s.colour[2], s.colour[3], s.texCoord[0], s.texCoord[1]});
}
void glVertex2f(GLfloat x, GLfloat y) { glVertex3f(x, y, 0); }
void glTexCoord2f(GLfloat s, GLfloat t) {
    state().texCoord[0] = s;
    state().texCoord[1] = t;
}
void glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) {
    float* c = state().colour;
    c[0] = r, c[1] = g, c[2] = b, c[3] = a;
}
void glColor3f(GLfloat r, GLfloat g, GLfloat b) { glColor4f(r, g, b, 1); }
void glColor4ub(GLubyte r, GLubyte g, GLubyte b, GLubyte a) { glColor4f(r / 255.0f, g / 255.0f, b / 255.0f, a / 255.0f); }
void glColor3ub(GLubyte r, GLubyte g, GLubyte b) { glColor4ub(r, g, b, 255); }

void glEnableClientState(GLenum array) {
    if (array == GL_VERTEX_ARRAY) state().vertexArray = true;
    if (array == GL_TEXTURE_COORD_ARRAY) state().texCoordArray = true;
}
void glDisableClientState(GLenum array) {
    if (array == GL_VERTEX_ARRAY) state().vertexArray = false;
    if (array == GL_TEXTURE_COORD_ARRAY) state().texCoordArray = false;
}
void glVertexPointer(GLint size, GLenum, GLsizei stride, const void* pointer) {
    state().vertexSize = size;
    state().vertexStride = stride;
    state().vertexPointer = static_cast<const float*>(pointer);
}
void glTexCoordPointer(GLint, GLenum, GLsizei stride, const void* pointer) {
    state().texCoordStride = stride;
    state().texCoordPointer = static_cast<const float*>(pointer);
}

void glMatrixMode(GLenum mode) { state().projectionMode = mode == GL_PROJECTION; }
void glLoadIdentity() { current() = identity; }
void glPushMatrix() {
    State& s = state();
    std::vector<Matrix>& stack = s.projectionMode ? s.projection : s.modelview;
    stack.push_back(stack.back());
}
void glPopMatrix() {
    State& s = state();
    std::vector<Matrix>& stack = s.projectionMode ? s.projection : s.modelview;
    if (stack.size() > 1) stack.pop_back();
}
void glMultMatrixf(const GLfloat* m) { multiplyInto(current(), m); }
void glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
    float* m = current().m;
    for (int r = 0; r < 4; ++r) m[12 + r] = m[r] * x + m[4 + r] * y + m[8 + r] * z + m[12 + r];
}
void glScalef(GLfloat x, GLfloat y, GLfloat z) {
    float* m = current().m;
    for (int r = 0; r < 4; ++r) m[r] *= x, m[4 + r] *= y, m[8 + r] *= z;
}
void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) {
    float length = std::sqrt(x * x + y * y + z * z);
    if (length == 0) return;
    x /= length, y /= length, z /= length;
    float a = angle * (float)(3.14159265358979323846 / 180.0);
    float s = std::sin(a), c = std::cos(a), k = 1 - c;
    const float r[16] = {x * x * k + c,     y * x * k + z * s, x * z * k - y * s, 0,
                         x * y * k - z * s, y * y * k + c,     y * z * k + x * s, 0,
                         x * z * k + y * s, y * z * k - x * s, z * z * k + c,     0,
                         0,                 0,                 0,                 1};
    multiplyInto(current(), r);
}
void glGetDoublev(GLenum name, GLdouble* values) {
    State& s = state();
    const Matrix* m = name == GL_MODELVIEW_MATRIX    ? &s.modelview.back()
                      : name == GL_PROJECTION_MATRIX ? &s.projection.back()
                                                     : nullptr;
    if (m)
        for (int i = 0; i < 16; ++i) values[i] = m->m[i];
}

void glAlphaFunc(GLenum, GLclampf ref) {  // GL_GREATER only
    flush();
    state().alphaRef = ref;
}
void glShadeModel(GLenum) {}

void gluPerspective(GLdouble fovY, GLdouble aspect, GLdouble zNear, GLdouble zFar) {
    double radians = fovY / 2 * 3.14159265358979323846 / 180;
    double depth = zFar - zNear, sine = std::sin(radians);
    if (depth == 0 || sine == 0 || aspect == 0) return;
    double cotangent = std::cos(radians) / sine;
    float m[16] = {};
    m[0] = (float)(cotangent / aspect);
    m[5] = (float)cotangent;
    m[10] = (float)(-(zFar + zNear) / depth);
    m[11] = -1;
    m[14] = (float)(-2 * zNear * zFar / depth);
    multiplyInto(current(), m);
}

void gluOrtho2D(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top) {
    float l = (float)left, r = (float)right, b = (float)bottom, t = (float)top;
    float m[16] = {};
    m[0] = 2 / (r - l);
    m[5] = 2 / (t - b);
    m[10] = -1;
    m[12] = -(r + l) / (r - l);
    m[13] = -(t + b) / (t - b);
    m[15] = 1;
    multiplyInto(current(), m);
}

void gluLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centreX, GLdouble centreY, GLdouble centreZ,
               GLdouble upX, GLdouble upY, GLdouble upZ) {
    float f[3] = {(float)(centreX - eyeX), (float)(centreY - eyeY), (float)(centreZ - eyeZ)};
    float up[3] = {(float)upX, (float)upY, (float)upZ};
    auto normalise = [](float* v) {
        float l = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
        if (l != 0) v[0] /= l, v[1] /= l, v[2] /= l;
    };
    auto cross = [](const float* a, const float* b, float* out) {
        out[0] = a[1] * b[2] - a[2] * b[1];
        out[1] = a[2] * b[0] - a[0] * b[2];
        out[2] = a[0] * b[1] - a[1] * b[0];
    };
    normalise(f);
    float side[3], u[3];
    cross(f, up, side);
    normalise(side);
    cross(side, f, u);
    float m[16] = {side[0], u[0], -f[0], 0, side[1], u[1], -f[1], 0, side[2], u[2], -f[2], 0, 0, 0, 0, 1};
    multiplyInto(current(), m);
    glTranslatef((float)-eyeX, (float)-eyeY, (float)-eyeZ);
}

GLint gluProject(GLdouble objX, GLdouble objY, GLdouble objZ, const GLdouble* model, const GLdouble* proj,
                 const GLint* viewport, GLdouble* winX, GLdouble* winY, GLdouble* winZ) {
    double in[4] = {objX, objY, objZ, 1}, eye[4], clip[4];
    transform(model, in, eye);
    transform(proj, eye, clip);
    if (clip[3] == 0) return GL_FALSE;
    for (int i = 0; i < 3; ++i) clip[i] = clip[i] / clip[3] * 0.5 + 0.5;
    *winX = clip[0] * viewport[2] + viewport[0];
    *winY = clip[1] * viewport[3] + viewport[1];
    *winZ = clip[2];
    return GL_TRUE;
}

GLint gluUnProject(GLdouble winX, GLdouble winY, GLdouble winZ, const GLdouble* model, const GLdouble* proj,
                   const GLint* viewport, GLdouble* objX, GLdouble* objY, GLdouble* objZ) {
    double both[16], inverse[16];
    multiplyDouble(proj, model, both);
    if (!invert(both, inverse)) return GL_FALSE;
    double in[4] = {(winX - viewport[0]) / viewport[2] * 2 - 1, (winY - viewport[1]) / viewport[3] * 2 - 1,
                    winZ * 2 - 1, 1};
    double out[4];
    transform(inverse, in, out);
    if (out[3] == 0) return GL_FALSE;
    *objX = out[0] / out[3];
    *objY = out[1] / out[3];
    *objZ = out[2] / out[3];
    return GL_TRUE;
}

GLint gluBuild2DMipmaps(GLenum target, GLint, GLsizei width, GLsizei height, GLenum format, GLenum type,
                        const void* pixels) {
    webglTexImage2D(target, 0, (GLint)format, width, height, 0, format, type, pixels);
    glGenerateMipmap(target);
    if (kept.bound) kept.textures[kept.bound].mipmaps = true;
    return 0;
}

void webglLayerRestore() {
    // A restored context has none of the old objects: each texture name is given a new texture, so the
    // names the program holds stay good, and is filled again.
    EM_ASM({
        for (var name in GL.textures) {
            if (!GL.textures[name]) continue;
            var texture = GLctx.createTexture();
            texture.name = +name;
            GL.textures[name] = texture;
        }
    });
    state().program = 0;
    webglLayerInit();
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    for (const auto& [name, t] : kept.textures) {
        glBindTexture(GL_TEXTURE_2D, name);
        for (const auto& [parameter, value] : t.parameters) glTexParameteri(GL_TEXTURE_2D, parameter, value);
        if (t.width == 0) continue;
        glTexImage2D(GL_TEXTURE_2D, 0, (GLint)t.format, t.width, t.height, 0, t.format, t.type,
                     t.pixels.empty() ? nullptr : t.pixels.data());
        if (t.mipmaps) glGenerateMipmap(GL_TEXTURE_2D);
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glBindTexture(GL_TEXTURE_2D, kept.bound);
    for (const auto& [capability, on] : kept.capabilities) on ? glEnable(capability) : glDisable(capability);
    glBlendFunc(kept.blendSource, kept.blendDestination);
    glClearColor(kept.clearColour[0], kept.clearColour[1], kept.clearColour[2], kept.clearColour[3]);
    glViewport(kept.viewport[0], kept.viewport[1], kept.viewport[2], kept.viewport[3]);
    state().vertices.clear();
}
