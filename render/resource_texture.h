// Textures from the sheets compiled into the program. Resource 102 is the glyph sheet, 106 the sprite
// sheet, both 512 x 512 GIF images.
#pragma once

#include "render/gl.h"

enum ResourceId { RESOURCE_GLYPH_SHEET = 102, RESOURCE_SPRITE_SHEET = 106 };

// Decoded picture, RGBA, rows from the top. Empty when the id is unknown or the bytes do not decode.
struct DecodedPicture {
    int width = 0;
    int height = 0;
    unsigned char* rgba = nullptr;  // owned
    DecodedPicture() = default;
    DecodedPicture(const DecodedPicture&) = delete;
    DecodedPicture& operator=(const DecodedPicture&) = delete;
    ~DecodedPicture();
};
bool decodeResourcePicture(int resourceId, DecodedPicture& out);
bool decodePictureBytes(const unsigned char* bytes, unsigned long size, DecodedPicture& out);

// Texture size per axis: the nearest power of two (2^floor(log2(size) + 0.5)), or maxSize when the
// picture is larger than the largest texture.
int textureSizeFor(int pixels, int maxSize);

// Texels for the glyph sheet: white, alpha from the blue channel; rows bottom first (OpenGL order),
// scaled to texWidth x texHeight. For the sprite sheet: colour kept, alpha 255.
void convertGlyphTexels(const DecodedPicture& picture, int texWidth, int texHeight, unsigned char* out);
void convertSpriteTexels(const DecodedPicture& picture, int texWidth, int texHeight, unsigned char* out);

// Both return false with nothing written when the resource is missing or cannot be decoded.
bool loadResourceTexture(int resourceId, GLuint* texture, int* width, int* height);
bool loadResourceTextureEx(int resourceId, GLuint* texture, int* width, int* height, GLint minFilter,
                           GLint magFilter, bool mipmaps);
