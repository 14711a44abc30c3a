#include "system/screenshot.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

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

// Creating a file only where no file (nor link) of that name exists, writing it whole, removing it.
#ifdef _WIN32
using FileHandle = HANDLE;
const FileHandle kNoFile = INVALID_HANDLE_VALUE;

// Sets `taken` when the name is in use.
FileHandle createNew(const std::string& path, bool& taken) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    DWORD error = file == INVALID_HANDLE_VALUE ? GetLastError() : 0;
    taken = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
    return file;
}

bool writeAll(FileHandle file, const unsigned char* data, size_t size) {
    while (size > 0) {
        DWORD chunk = size > 0x40000000 ? 0x40000000 : (DWORD)size;
        DWORD written = 0;
        if (!WriteFile(file, data, chunk, &written, nullptr) || written == 0) return false;
        data += written;
        size -= written;
    }
    return true;
}

bool closeFile(FileHandle file) { return CloseHandle(file) != 0; }
void removeFile(const std::string& path) { DeleteFileA(path.c_str()); }
#else
using FileHandle = int;
const FileHandle kNoFile = -1;

FileHandle createNew(const std::string& path, bool& taken) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    taken = fd < 0 && errno == EEXIST;
    return fd;
}

bool writeAll(FileHandle fd, const unsigned char* data, size_t size) {
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

bool closeFile(FileHandle fd) { return ::close(fd) == 0; }
void removeFile(const std::string& path) { ::unlink(path.c_str()); }
#endif

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
    FileHandle fd = kNoFile;
    for (int tries = 0; tries < kMaxNameTries && fd == kNoFile; ++tries) {
        path = nameFor(directory, counter);
        bool taken = false;
        fd = createNew(path, taken);
        if (fd != kNoFile) break;
        if (!taken) {
            delete[] buffer;
            return std::string();
        }
        counter += 1;
    }
    if (fd == kNoFile) {
        delete[] buffer;
        return std::string();
    }
    counter += 1;
    bool written = writeAll(fd, buffer, kHeaderSize + pixelBytes);
    if (!closeFile(fd)) written = false;
    delete[] buffer;
    if (!written) {
        removeFile(path);  // no partial file
        return std::string();
    }
    return path;
}
