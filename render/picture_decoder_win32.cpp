// The sheets as resources of type "BINARY" in the executable, decoded by the system's picture object
// (OleLoadPicture) and rendered into a 32-bit bottom-up DIB section.
#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include <cstdlib>
#include <cstring>

#include "render/resource_texture.h"

DecodedPicture::~DecodedPicture() { std::free(rgba); }

namespace {

// Renders the whole picture into a width x height DIB section and returns its pixels as RGBA rows
// from the top, or nullptr.
unsigned char* renderPicture(IPicture* picture, HDC dc, int width, int height, OLE_XSIZE_HIMETRIC hmWidth,
                             OLE_YSIZE_HIMETRIC hmHeight) {
    BITMAPINFO info;
    std::memset(&info, 0, sizeof info);
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;  // positive: bottom-up, the first row in memory is the bottom
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!dib || !bits) {
        if (dib) DeleteObject(dib);
        return nullptr;
    }
    unsigned char* rgba = (unsigned char*)std::malloc((size_t)width * (size_t)height * 4);
    if (!rgba) {
        DeleteObject(dib);
        return nullptr;
    }

    HGDIOBJ previous = SelectObject(dc, dib);
    // Drawn from the top of the picture (source y hmHeight, height -hmHeight): upright in the DIB.
    HRESULT drawn = picture->Render(dc, 0, 0, width, height, 0, hmHeight, hmWidth, -hmHeight, nullptr);
    GdiFlush();
    if (FAILED(drawn)) {
        SelectObject(dc, previous);
        DeleteObject(dib);
        std::free(rgba);
        return nullptr;
    }
    const unsigned char* source = (const unsigned char*)bits;  // B, G, R, unused
    for (int row = 0; row < height; ++row) {
        const unsigned char* in = source + (size_t)(height - 1 - row) * width * 4;
        unsigned char* out = rgba + (size_t)row * width * 4;
        for (int col = 0; col < width; ++col, in += 4, out += 4) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
            out[3] = 255;
        }
    }
    SelectObject(dc, previous);
    DeleteObject(dib);
    return rgba;
}

}  // namespace

bool decodePictureBytes(const unsigned char* bytes, unsigned long size, DecodedPicture& out) {
    if (!bytes || size == 0 || size > 0x7fffffffUL) return false;

    // A movable copy of the bytes, owned by the stream and freed with it.
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!block) return false;
    void* copy = GlobalLock(block);
    if (!copy) {
        GlobalFree(block);
        return false;
    }
    std::memcpy(copy, bytes, size);
    GlobalUnlock(block);
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(block, TRUE, &stream)) || !stream) {
        GlobalFree(block);
        return false;
    }

    IPicture* picture = nullptr;
    HRESULT loaded = OleLoadPicture(stream, 0, FALSE, IID_IPicture, (void**)&picture);
    stream->Release();
    if (FAILED(loaded) || !picture) return false;
    OLE_XSIZE_HIMETRIC hmWidth = 0;
    OLE_YSIZE_HIMETRIC hmHeight = 0;
    picture->get_Width(&hmWidth);
    picture->get_Height(&hmHeight);

    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) {
        picture->Release();
        return false;
    }
    // HIMETRIC (hundredths of a millimetre) to pixels at the screen's resolution.
    int width = MulDiv(hmWidth, GetDeviceCaps(dc, LOGPIXELSX), 2540);
    int height = MulDiv(hmHeight, GetDeviceCaps(dc, LOGPIXELSY), 2540);
    unsigned char* rgba = nullptr;
    if (width > 0 && height > 0 && width <= 65536 && height <= 65536)
        rgba = renderPicture(picture, dc, width, height, hmWidth, hmHeight);
    DeleteDC(dc);
    picture->Release();
    if (!rgba) return false;

    std::free(out.rgba);
    out.rgba = rgba;
    out.width = width;
    out.height = height;
    return true;
}

bool decodeResourcePicture(int resourceId, DecodedPicture& out) {
    // Ids are 16-bit; one outside that range names no resource (and never aliases another).
    if (resourceId <= 0 || resourceId > 0xFFFF) return false;
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(resourceId), "BINARY");
    if (!resource) return false;
    HGLOBAL handle = LoadResource(module, resource);
    DWORD size = SizeofResource(module, resource);
    const void* bytes = handle ? LockResource(handle) : nullptr;
    if (!bytes || size == 0) return false;
    return decodePictureBytes((const unsigned char*)bytes, size, out);
}
