// An OpenGL compatibility context with no window and no X server: EGL on Mesa's surfaceless platform
// with a pbuffer. Used by tests and benchmarks.
#pragma once

#include <string>

class HeadlessContext {
public:
    HeadlessContext(int width, int height);
    ~HeadlessContext();
    HeadlessContext(const HeadlessContext&) = delete;
    HeadlessContext& operator=(const HeadlessContext&) = delete;

    bool ok() const { return current; }
    const std::string& error() const { return failure; }
    int width() const { return w; }
    int height() const { return h; }

private:
    int w, h;
    bool current = false;
    std::string failure;
    void* display = nullptr;
    void* context = nullptr;
    void* surface = nullptr;
};

// A GL entry point of the headless context by name (eglGetProcAddress).
void* headlessGlProc(const char* name);

// Reads the back buffer as RGB rows from the top; false on failure.
bool readFramePixels(int width, int height, unsigned char* rgbTopDown);
