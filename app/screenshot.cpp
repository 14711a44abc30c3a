#include "app/screenshot.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "render/gl.h"

namespace {

int counter = 0;
const int kHeaderSize = 18;
const int kMaxNameTries = 100000;

std::string nameFor(const std::string& directory, int n) {
    char name[64];
    std::snprintf(name, sizeof name, "Screenshot_%d.tga", n);
    return directory.empty() ? std::string(name) : directory + "/" + name;
}

bool writeAll(int fd, const unsigned char* data, size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= (size_t)n;
    }
    return true;
}

}  // namespace

int screenshotCounter() { return counter; }
void setScreenshotCounter(int value) { counter = value; }

void writeTgaHeader(unsigned char* header, int width, int height) {
    std::memset(header, 0, kHeaderSize);
    header[2] = 2;  // uncompressed true colour
    header[12] = (unsigned char)(width & 0xff);
    header[13] = (unsigned char)((width >> 8) & 0xff);
    header[14] = (unsigned char)(height & 0xff);
    header[15] = (unsigned char)((height >> 8) & 0xff);
    header[16] = 24;
    header[17] = 0;  // no alpha bits, origin bottom-left
}

std::string captureScreenshot(int width, int height, const std::string& directory) {
    if (width <= 0 || height <= 0 || width > 65535 || height > 65535) return std::string();

    // The pixels first: a failed allocation leaves no file behind.
    size_t pixelBytes = (size_t)3 * (size_t)width * (size_t)height;
    unsigned char* buffer = new (std::nothrow) unsigned char[kHeaderSize + pixelBytes]();
    if (!buffer) return std::string();
    writeTgaHeader(buffer, width, height);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);  // rows of exactly 3 x width bytes
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, buffer + kHeaderSize);
    for (size_t i = kHeaderSize; i < kHeaderSize + pixelBytes; i += 3) {
        unsigned char red = buffer[i];
        buffer[i] = buffer[i + 2];
        buffer[i + 2] = red;
    }

    // Created exclusively: an existing file (or a link planted under the name) is never written
    // through; the counter moves past names that are taken.
    std::string path;
    int fd = -1;
    for (int tries = 0; tries < kMaxNameTries && fd < 0; ++tries) {
        path = nameFor(directory, counter);
        fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd >= 0) break;
        if (errno != EEXIST) {
            delete[] buffer;
            return std::string();
        }
        counter += 1;
    }
    if (fd < 0) {
        delete[] buffer;
        return std::string();
    }
    counter += 1;
    bool written = writeAll(fd, buffer, kHeaderSize + pixelBytes);
    if (::close(fd) != 0) written = false;
    delete[] buffer;
    if (!written) {
        ::unlink(path.c_str());  // no partial file
        return std::string();
    }
    return path;
}
