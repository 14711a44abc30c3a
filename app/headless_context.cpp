#include "app/headless_context.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <stb_image_write.h>

#include <vector>

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

}  // namespace

HeadlessContext::HeadlessContext(int width, int height) : w(width), h(height) {
    EGLDisplay dpy = sharedDisplay(failure);
    if (dpy == EGL_NO_DISPLAY) return;
    display = dpy;
    if (!eglBindAPI(EGL_OPENGL_API)) {
        failure = "EGL cannot bind the desktop OpenGL API";
        return;
    }
    const EGLint configAttributes[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                                       EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8,
                                       EGL_ALPHA_SIZE, 8, EGL_DEPTH_SIZE, 16, EGL_NONE};
    EGLConfig config;
    EGLint count = 0;
    if (!eglChooseConfig(dpy, configAttributes, &config, 1, &count) || count < 1) {
        failure = "no EGL config with RGBA 8 and 16 depth bits";
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
    std::vector<unsigned char> bottomUp((size_t)width * height * 3);
    glFinish();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
    size_t row = (size_t)width * 3;
    for (int y = 0; y < height; ++y)
        std::copy(bottomUp.begin() + (size_t)(height - 1 - y) * row,
                  bottomUp.begin() + (size_t)(height - y) * row, rgbTopDown + (size_t)y * row);
    return glGetError() == GL_NO_ERROR;
}

bool writePng(const std::string& path, int width, int height, const unsigned char* rgbTopDown) {
    return stbi_write_png(path.c_str(), width, height, 3, rgbTopDown, width * 3) != 0;
}
