// Smooth edges at every screen size. Each frame is drawn into a multisampled framebuffer object and
// resolved by a blit into the window's (or the pbuffer's) own framebuffer before anything reads it
// back, so the screen, F12 screenshots and --render all get the same smoothed pixels. Lines grow with
// the screen (1 pixel up to the composed height of 768, height / 768 above) and, with multisampling,
// glyphs use alpha-to-coverage so their cut edges are smoothed too. In exact mode none of it is on and
// the frames are the ones the piece always drew.
//
//   FrameSmoothing smoothing;                  // after the context is made and current
//   smoothing.start(getProcAddress, w, h, smoothingChoice(options));
//   ... each frame: appDraw() calls frameSmoothingResolve() before the screenshot and the cursor,
//   ... the platform's swap calls frameSmoothingNextFrame() after swapping.
#pragma once

#include <string>

// What a command line asks for: --exact, --samples N (-1: the renderer's default), --supersample N.
struct SmoothingChoice {
    bool exact = false;
    int samples = -1;
    int supersample = 1;
};

// The frame is always drawn where it is read back: without framebuffer objects there is no smoothing.
// `load` finds a GL entry point by name (SDL_GL_GetProcAddress, eglGetProcAddress, wglGetProcAddress).
using GlProcLoader = void* (*)(const char* name);

// Software renderers (llvmpipe, softpipe, SwiftShader, the 1.1 "GDI Generic") against the rest, by
// GL_RENDERER.
bool softwareRenderer(const char* renderer);
// The sample count used when --samples is not given: measured on each kind of renderer so that 60
// frames a second hold (docs/performance.md).
int defaultSamples(bool software);
// 1 up to a height of 768 pixels, height / 768 above.
float lineWidthForHeight(int height);

class FrameSmoothing {
public:
    FrameSmoothing() = default;
    ~FrameSmoothing();
    FrameSmoothing(const FrameSmoothing&) = delete;
    FrameSmoothing& operator=(const FrameSmoothing&) = delete;

    // With the context current and its default framebuffer width x height. Asks for the wanted
    // samples and steps down 4 -> 2 -> none when the framebuffer cannot be had; sets the line width
    // and the glyph coverage. Safe to call again (a new size); returns the samples granted.
    int start(GlProcLoader load, int width, int height, const SmoothingChoice& choice);
    // Back to drawing straight into the default framebuffer with the exact look.
    void stop();

    int samples() const { return granted; }
    // "llvmpipe (LLVM 15.0.6, 256 bits), 4 samples" and the like, for a start-up line.
    const std::string& description() const { return summary; }

    // Resolves the frame into the default framebuffer and leaves that bound (read and draw).
    void resolve();
    // Binds the multisampled framebuffer again for the next frame's drawing.
    void nextFrame();

    struct Gl;  // the framebuffer entry points, found at start

private:
    Gl* gl = nullptr;
    int w = 0, h = 0;
    int granted = 0;
    unsigned framebuffer = 0, colour = 0, depth = 0;
    std::string summary;
    bool makeTarget(int samples);
    void freeTarget();
};

// The one smoothing of the program's frames (the platform layer or the headless run starts it): the resolve hook that
// appDraw calls through the platform hooks, and the rebind after each swap.
FrameSmoothing& programSmoothing();
void frameSmoothingResolve();
void frameSmoothingNextFrame();

// A box filter: every factor x factor block of `source` (RGB, rows from the top) becomes one pixel
// of `target`, whose size is the source's divided by `factor`.
void downscaleFrame(const unsigned char* source, int sourceWidth, int sourceHeight, int factor,
                    unsigned char* target);
