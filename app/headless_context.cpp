#include "app/headless_context.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <algorithm>
#include <vector>

#include "app/framebuffer_sizes.h"
#include "render/gl.h"

namespace {

// One display for the whole process, initialised once and never terminated: terminating it unloads
// the driver, whose one-time allocations would then show up as anonymous leaks.
EGLDisplay sharedDisplay(std::string& failure) {
    static EGLDisplay display = EGL_NO_DISPLAY;
    static std::string error;
    static bool tried = false;
    if (!tried) {
        tried = true;
        auto getPlatformDisplay =
            (PFNEGLGETPLATFORMDISPLAYEXTPROC)eglGetProcAddress("eglGetPlatformDisplayEXT");
        EGLDisplay dpy = getPlatformDisplay
                             ? getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr)
                             : EGL_NO_DISPLAY;
        if (dpy != EGL_NO_DISPLAY && eglInitialize(dpy, nullptr, nullptr))
            display = dpy;
        else
            error = "no surfaceless EGL display (is libgl1-mesa-dri installed?)";
    }
    failure = error;
    return display;
}

// The config with exactly the program's framebuffer sizes (app/framebuffer_sizes.h). EGL sorts
// configs that have at least the asked-for bits by other rules (more colour bits first, fewer depth
// bits first), so the first one it offers may be 10-bit colour or 16-bit depth: the configs are
// searched for the exact sizes, and the first offered is taken only when none has them.
bool chooseConfig(EGLDisplay dpy, EGLConfig& chosen) {
    const FramebufferSizes& s = kFramebufferSizes;
    const EGLint wanted[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                             EGL_RED_SIZE, s.red, EGL_GREEN_SIZE, s.green, EGL_BLUE_SIZE, s.blue,
                             EGL_ALPHA_SIZE, s.alpha, EGL_DEPTH_SIZE, s.depth, EGL_STENCIL_SIZE, s.stencil,
                             EGL_NONE};
    EGLint count = 0;
    if (!eglChooseConfig(dpy, wanted, nullptr, 0, &count) || count < 1) return false;
    std::vector<EGLConfig> configs((size_t)count);
    if (!eglChooseConfig(dpy, wanted, configs.data(), count, &count) || count < 1) return false;
    chosen = configs[0];
    for (EGLint i = 0; i < count; ++i) {
        const EGLint attribute[6] = {EGL_RED_SIZE, EGL_GREEN_SIZE, EGL_BLUE_SIZE, EGL_ALPHA_SIZE, EGL_DEPTH_SIZE,
                                     EGL_STENCIL_SIZE};
        const int size[6] = {s.red, s.green, s.blue, s.alpha, s.depth, s.stencil};
        bool exact = true;
        for (int k = 0; k < 6 && exact; ++k) {
            EGLint value = -1;
            exact = eglGetConfigAttrib(dpy, configs[(size_t)i], attribute[k], &value) && value == size[k];
        }
        if (exact) {
            chosen = configs[(size_t)i];
            return true;
        }
    }
    return true;
}

}  // namespace

HeadlessContext::HeadlessContext(int width, int height) : w(width), h(height) {
    EGLDisplay dpy = sharedDisplay(failure);
    if (dpy == EGL_NO_DISPLAY) return;
    display = dpy;
    if (!eglBindAPI(EGL_OPENGL_API)) {
        failure = "EGL cannot bind the desktop OpenGL API";
        return;
    }
    EGLConfig config;
    if (!chooseConfig(dpy, config)) {
        failure = "no EGL config for desktop OpenGL in a pbuffer";
        return;
    }
    const EGLint contextAttributes[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                        EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
    EGLContext ctx = eglCreateContext(dpy, config, EGL_NO_CONTEXT, contextAttributes);
    if (ctx == EGL_NO_CONTEXT) {
        failure = "cannot create an OpenGL compatibility context";
        return;
    }
    context = ctx;
    const EGLint surfaceAttributes[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
    EGLSurface surf = eglCreatePbufferSurface(dpy, config, surfaceAttributes);
    if (surf == EGL_NO_SURFACE) {
        failure = "cannot create a pbuffer surface";
        return;
    }
    surface = surf;
    if (!eglMakeCurrent(dpy, surf, surf, ctx)) {
        failure = "cannot make the context current";
        return;
    }
    current = true;
    glViewport(0, 0, width, height);
}

HeadlessContext::~HeadlessContext() {
    if (!display) return;
    EGLDisplay dpy = (EGLDisplay)display;
    eglMakeCurrent(dpy, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (surface) eglDestroySurface(dpy, (EGLSurface)surface);
    if (context) eglDestroyContext(dpy, (EGLContext)context);
    eglReleaseThread();
}

void* headlessGlProc(const char* name) { return (void*)eglGetProcAddress(name); }

bool readFramePixels(int width, int height, unsigned char* rgbTopDown) {
    if (width <= 0 || height <= 0) return false;
    glFinish();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgbTopDown);
    // OpenGL gives the bottom row first: turn the picture over in place.
    size_t row = (size_t)width * 3;
    for (int y = 0; y < height / 2; ++y)
        std::swap_ranges(rgbTopDown + (size_t)y * row, rgbTopDown + (size_t)(y + 1) * row,
                         rgbTopDown + (size_t)(height - 1 - y) * row);
    return glGetError() == GL_NO_ERROR;
}
