// The sheets as compiled into the program (resources/resource_table.h), decoded with stb_image.
#include <stb_image.h>

#include "render/resource_texture.h"
#include "resources/resource_table.h"

DecodedPicture::~DecodedPicture() { stbi_image_free(rgba); }

bool decodePictureBytes(const unsigned char* bytes, unsigned long size, DecodedPicture& out) {
    if (!bytes || size == 0 || size > 0x7fffffffUL) return false;
    int w = 0, h = 0, channels = 0;
    unsigned char* data = stbi_load_from_memory(bytes, (int)size, &w, &h, &channels, 4);
    if (!data) return false;
    if (w <= 0 || h <= 0) {
        stbi_image_free(data);
        return false;
    }
    stbi_image_free(out.rgba);
    out.rgba = data;
    out.width = w;
    out.height = h;
    return true;
}

bool decodeResourcePicture(int resourceId, DecodedPicture& out) {
    const unsigned char* bytes = nullptr;
    unsigned long size = 0;
    if (!findResource(resourceId, &bytes, &size)) return false;
    return decodePictureBytes(bytes, size, out);
}
