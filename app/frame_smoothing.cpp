#include "app/frame_smoothing.h"

#include <cstdio>
#include <cstring>

#include "render/bitmap_font.h"
#include "render/gl.h"

#ifndef APIENTRY
#define APIENTRY
#endif

namespace {

// Framebuffer objects are not OpenGL 1.1: their names and entry points are declared here and looked
// up through the platform. The values are the same for the core and the EXT entry points.
const GLenum kFramebuffer = 0x8D40, kReadFramebuffer = 0x8CA8, kDrawFramebuffer = 0x8CA9;
const GLenum kRenderbuffer = 0x8D41, kColourAttachment0 = 0x8CE0, kDepthAttachment = 0x8D00;
const GLenum kFramebufferComplete = 0x8CD5, kRgba8 = 0x8058;
const GLenum kDepth16 = 0x81A5, kDepth24 = 0x81A6, kSamples = 0x80A9, kMaxSamples = 0x8D57;

const int kComposedHeight = 768;

}  // namespace

struct FrameSmoothing::Gl {
    void(APIENTRY* genFramebuffers)(GLsizei, GLuint*);
    void(APIENTRY* deleteFramebuffers)(GLsizei, const GLuint*);
    void(APIENTRY* bindFramebuffer)(GLenum, GLuint);
    void(APIENTRY* framebufferRenderbuffer)(GLenum, GLenum, GLenum, GLuint);
    GLenum(APIENTRY* checkFramebufferStatus)(GLenum);
    void(APIENTRY* genRenderbuffers)(GLsizei, GLuint*);
    void(APIENTRY* deleteRenderbuffers)(GLsizei, const GLuint*);
    void(APIENTRY* bindRenderbuffer)(GLenum, GLuint);
    void(APIENTRY* renderbufferStorageMultisample)(GLenum, GLsizei, GLenum, GLsizei, GLsizei);
    void(APIENTRY* blitFramebuffer)(GLint, GLint, GLint, GLint, GLint, GLint, GLint, GLint, GLbitfield, GLenum);
};

namespace {

bool hasExtension(const char* name) {
    const char* all = (const char*)glGetString(GL_EXTENSIONS);
    if (!all) return false;
    size_t length = std::strlen(name);
    for (const char* p = std::strstr(all, name); p; p = std::strstr(p + 1, name))
        if ((p == all || p[-1] == ' ') && (p[length] == ' ' || p[length] == '\0')) return true;
    return false;
}

// The entry points, core names on OpenGL 3.0 and later or with ARB_framebuffer_object, the EXT names
// with EXT_framebuffer_object, _multisample and _blit; false when either set is incomplete (a
// loader may hand out addresses for functions the driver lacks, so the version and extensions
// decide first).
template <typename F>
bool find(GlProcLoader load, F& function, const char* name, bool ext) {
    std::string full = std::string(name) + (ext ? "EXT" : "");
    function = (F)load(full.c_str());
    return function != nullptr;
}

bool loadFramebufferCalls(GlProcLoader load, FrameSmoothing::Gl& gl) {
    const char* version = (const char*)glGetString(GL_VERSION);
    bool core = (version && version[0] >= '3' && version[0] <= '9') || hasExtension("GL_ARB_framebuffer_object");
    bool ext = !core && hasExtension("GL_EXT_framebuffer_object") && hasExtension("GL_EXT_framebuffer_multisample") &&
               hasExtension("GL_EXT_framebuffer_blit");
    if (!load || (!core && !ext)) return false;
    return find(load, gl.genFramebuffers, "glGenFramebuffers", ext) &&
           find(load, gl.deleteFramebuffers, "glDeleteFramebuffers", ext) &&
           find(load, gl.bindFramebuffer, "glBindFramebuffer", ext) &&
           find(load, gl.framebufferRenderbuffer, "glFramebufferRenderbuffer", ext) &&
           find(load, gl.checkFramebufferStatus, "glCheckFramebufferStatus", ext) &&
           find(load, gl.genRenderbuffers, "glGenRenderbuffers", ext) &&
           find(load, gl.deleteRenderbuffers, "glDeleteRenderbuffers", ext) &&
           find(load, gl.bindRenderbuffer, "glBindRenderbuffer", ext) &&
           find(load, gl.renderbufferStorageMultisample, "glRenderbufferStorageMultisample", ext) &&
           find(load, gl.blitFramebuffer, "glBlitFramebuffer", ext);
}

}  // namespace

bool softwareRenderer(const char* renderer) {
    if (!renderer) return true;
    for (const char* name : {"llvmpipe", "softpipe", "swrast", "Software", "SwiftShader", "GDI Generic"})
        if (std::strstr(renderer, name)) return true;
    return false;
}

int defaultSamples(bool software) { return software ? 0 : 4; }

float lineWidthForHeight(int height) {
    return height > kComposedHeight ? (float)height / (float)kComposedHeight : 1.0f;
}

FrameSmoothing::~FrameSmoothing() {
    freeTarget();
    delete gl;
}

int FrameSmoothing::start(GlProcLoader load, int width, int height, const SmoothingChoice& choice) {
    stop();
    if (choice.exact) return 0;
    w = width;
    h = height;
    const char* renderer = (const char*)glGetString(GL_RENDERER);
    bool software = softwareRenderer(renderer);
    int wanted = choice.samples >= 0 ? choice.samples : defaultSamples(software);
    if (!gl) {
        gl = new Gl();
        if (!loadFramebufferCalls(load, *gl)) {
            delete gl;
            gl = nullptr;
        }
    }
    GLint most = 0;
    if (gl) glGetIntegerv(kMaxSamples, &most);
    // 4 -> 2 -> none: the largest step the renderer offers and can allocate at this size.
    for (int n : {8, 4, 2}) {
        if (!gl || n > wanted || n > most) continue;
        if (makeTarget(n)) break;
    }
    // Without a target of its own, the default framebuffer may be multisampled itself (the
    // browser's antialiased canvas).
    GLint own = 0;
    if (!framebuffer) glGetIntegerv(kSamples, &own);
    if (!framebuffer && own > 0) granted = own;
    glLineWidth(lineWidthForHeight(height));
    BitmapFont::setEdgeCoverage(granted > 0);
    char text[256];
    std::snprintf(text, sizeof text, "%s, %d samples%s", renderer ? renderer : "unknown renderer", granted,
                  gl || granted ? "" : " (no framebuffer objects: no multisampling)");
    summary = text;
    return granted;
}

void FrameSmoothing::stop() {
    freeTarget();
    glLineWidth(1);
    BitmapFont::setEdgeCoverage(false);
}

bool FrameSmoothing::makeTarget(int samples) {
    gl->genFramebuffers(1, &framebuffer);
    gl->genRenderbuffers(1, &colour);
    gl->genRenderbuffers(1, &depth);
    // The depth buffer as deep as the default framebuffer's, so the frame draws the same.
    GLint depthBits = 0;
    glGetIntegerv(GL_DEPTH_BITS, &depthBits);
    gl->bindRenderbuffer(kRenderbuffer, colour);
    gl->renderbufferStorageMultisample(kRenderbuffer, samples, kRgba8, w, h);
    gl->bindRenderbuffer(kRenderbuffer, depth);
    gl->renderbufferStorageMultisample(kRenderbuffer, samples, depthBits > 16 ? kDepth24 : kDepth16, w, h);
    gl->bindRenderbuffer(kRenderbuffer, 0);
    gl->bindFramebuffer(kFramebuffer, framebuffer);
    gl->framebufferRenderbuffer(kFramebuffer, kColourAttachment0, kRenderbuffer, colour);
    gl->framebufferRenderbuffer(kFramebuffer, kDepthAttachment, kRenderbuffer, depth);
    GLint got = 0;
    bool complete = gl->checkFramebufferStatus(kFramebuffer) == kFramebufferComplete;
    if (complete) glGetIntegerv(kSamples, &got);
    // The resolve is tried once now: a renderer that refuses this blit draws unsmoothed from the start.
    if (complete && got > 0) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        granted = got;
        resolve();
        nextFrame();
    }
    if (glGetError() != GL_NO_ERROR || !complete || got <= 0) {
        freeTarget();
        while (glGetError() != GL_NO_ERROR) {
        }
        return false;
    }
    return true;
}

void FrameSmoothing::freeTarget() {
    if (!gl) return;
    gl->bindFramebuffer(kFramebuffer, 0);
    if (framebuffer) gl->deleteFramebuffers(1, &framebuffer);
    if (colour) gl->deleteRenderbuffers(1, &colour);
    if (depth) gl->deleteRenderbuffers(1, &depth);
    framebuffer = colour = depth = 0;
    granted = 0;
}

void FrameSmoothing::resolve() {
    if (!framebuffer) return;
    gl->bindFramebuffer(kReadFramebuffer, framebuffer);
    gl->bindFramebuffer(kDrawFramebuffer, 0);
    gl->blitFramebuffer(0, 0, w, h, 0, 0, w, h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    gl->bindFramebuffer(kFramebuffer, 0);
}

void FrameSmoothing::nextFrame() {
    if (framebuffer) gl->bindFramebuffer(kFramebuffer, framebuffer);
}

FrameSmoothing& programSmoothing() {
    static FrameSmoothing* smoothing = new FrameSmoothing();  // lives as long as the context
    return *smoothing;
}

void frameSmoothingResolve() { programSmoothing().resolve(); }
void frameSmoothingNextFrame() { programSmoothing().nextFrame(); }

void downscaleFrame(const unsigned char* source, int sourceWidth, int sourceHeight, int factor,
                    unsigned char* target) {
    if (factor < 1) return;
    int width = sourceWidth / factor, height = sourceHeight / factor;
    unsigned area = (unsigned)(factor * factor);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c) {
                unsigned sum = 0;
                for (int dy = 0; dy < factor; ++dy) {
                    const unsigned char* row = source + ((size_t)(y * factor + dy) * sourceWidth + (size_t)x * factor) * 3;
                    for (int dx = 0; dx < factor; ++dx) sum += row[dx * 3 + c];
                }
                target[((size_t)y * width + x) * 3 + c] = (unsigned char)((sum + area / 2) / area);
            }
}
