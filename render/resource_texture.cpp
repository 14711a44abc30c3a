#include "render/resource_texture.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

// The decoding itself (DecodedPicture, decodePictureBytes, decodeResourcePicture) is per platform:
// render/picture_decoder_stb.cpp and render/picture_decoder_win32.cpp.

int textureSizeFor(int pixels, int maxSize) {
    if (pixels > maxSize) return maxSize;
    if (pixels < 1) return 1;
    return 1 << (int)std::floor(std::log2((double)pixels) + 0.5);
}

namespace {

// Nearest-neighbour scaling of the picture to the texture size, rows from the bottom up, each
// texel handed to `convert` as (r, g, b, a) of the picture.
template <typename Convert>
void resample(const DecodedPicture& picture, int texWidth, int texHeight, unsigned char* out,
              Convert convert) {
    for (int row = 0; row < texHeight; ++row) {
        int srcY = (int)(((long long)(texHeight - 1 - row) * picture.height) / texHeight);
        for (int col = 0; col < texWidth; ++col) {
            int srcX = (int)(((long long)col * picture.width) / texWidth);
            const unsigned char* p = picture.rgba + ((size_t)srcY * picture.width + srcX) * 4;
            convert(p, out + ((size_t)row * texWidth + col) * 4);
        }
    }
}

}  // namespace

void convertGlyphTexels(const DecodedPicture& picture, int texWidth, int texHeight, unsigned char* out) {
    resample(picture, texWidth, texHeight, out, [](const unsigned char* p, unsigned char* t) {
        t[0] = t[1] = t[2] = 255;
        t[3] = p[2];  // brightness, measured by the blue channel, becomes opacity
    });
}

void convertSpriteTexels(const DecodedPicture& picture, int texWidth, int texHeight, unsigned char* out) {
    resample(picture, texWidth, texHeight, out, [](const unsigned char* p, unsigned char* t) {
        t[0] = p[0];
        t[1] = p[1];
        t[2] = p[2];
        t[3] = 255;
    });
}

namespace {

bool load(int resourceId, GLuint* texture, int* width, int* height, GLint minFilter, GLint magFilter,
          bool mipmaps, bool glyphSheet) {
    DecodedPicture picture;
    if (!decodeResourcePicture(resourceId, picture)) return false;
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    if (maxSize <= 0) maxSize = 1024;
    int texWidth = textureSizeFor(picture.width, maxSize);
    int texHeight = textureSizeFor(picture.height, maxSize);
    std::vector<unsigned char> texels((size_t)texWidth * texHeight * 4);
    if (glyphSheet)
        convertGlyphTexels(picture, texWidth, texHeight, texels.data());
    else
        convertSpriteTexels(picture, texWidth, texHeight, texels.data());

    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minFilter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, magFilter);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    if (mipmaps)
        gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGBA, texWidth, texHeight, GL_RGBA, GL_UNSIGNED_BYTE,
                          texels.data());
    else
        glTexImage2D(GL_TEXTURE_2D, 0, 3, texWidth, texHeight, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    *texture = name;
    *width = texWidth;
    *height = texHeight;
    return true;
}

}  // namespace

bool loadResourceTexture(int resourceId, GLuint* texture, int* width, int* height) {
    return load(resourceId, texture, width, height, GL_LINEAR, GL_LINEAR, true, true);
}

bool loadResourceTextureEx(int resourceId, GLuint* texture, int* width, int* height, GLint minFilter,
                           GLint magFilter, bool mipmaps) {
    return load(resourceId, texture, width, height, minFilter, magFilter, mipmaps, false);
}
