#include "app/png_writer.h"

#include <png.h>
#include <zlib.h>

#include <cerrno>
#include <cstdio>
#include <system_error>

namespace {

// libpng reports errors by a long jump back to its caller: what lies between the two is plain data,
// so no destructor is skipped.
struct PngFailure {
    char message[160];
};

void onError(png_structp png, png_const_charp message) {
    auto* failure = static_cast<PngFailure*>(png_get_error_ptr(png));
    std::snprintf(failure->message, sizeof failure->message, "%s", message);
    png_longjmp(png, 1);
}

void onWarning(png_structp, png_const_charp) {}

bool encode(std::FILE* file, int width, int height, const unsigned char* rgb, PngFailure& failure) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &failure, onError, onWarning);
    if (!png) {
        std::snprintf(failure.message, sizeof failure.message, "out of memory");
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, (png_uint_32)width, (png_uint_32)height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_UP);
    png_set_compression_level(png, Z_BEST_SPEED);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) png_write_row(png, rgb + (size_t)y * (size_t)width * 3);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

bool writePng(const std::string& path, int width, int height, const unsigned char* rgbTopDown, std::string* why) {
    if (width <= 0 || height <= 0) {
        if (why) *why = "no picture";
        return false;
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        if (why) *why = std::generic_category().message(errno);
        return false;
    }
    PngFailure failure = {"write error"};
    errno = 0;
    bool ok = encode(file, width, height, rgbTopDown, failure) && std::fflush(file) == 0 && !std::ferror(file);
    int problem = errno;
    if (std::fclose(file) != 0 && ok) {
        ok = false;
        problem = errno;
    }
    if (!ok) {
        if (why) *why = problem != 0 ? std::generic_category().message(problem) : failure.message;
        std::remove(path.c_str());
    }
    return ok;
}
