// The Windows program's sheets (resources 102 and 106 decoded by the system's picture object) and its
// screenshot files, under Wine.
#include <gtest/gtest.h>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_GIF
#include <stb_image.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "render/gl.h"
#include "render/resource_texture.h"
#include "system/screenshot.h"
#include "system/window_size.h"
#include "tests/win32/win32_support.h"

namespace {

bool resourceBytes(int id, const unsigned char** bytes, DWORD* size) {
    HRSRC resource = FindResourceA(nullptr, MAKEINTRESOURCEA(id), "BINARY");
    if (!resource) return false;
    *bytes = (const unsigned char*)LockResource(LoadResource(nullptr, resource));
    *size = SizeofResource(nullptr, resource);
    return *bytes && *size;
}

std::string makeTempDir() {
    char base[MAX_PATH], path[MAX_PATH];
    if (!GetTempPathA(MAX_PATH, base) || !GetTempFileNameA(base, "vel", 0, path)) return "";
    DeleteFileA(path);
    return CreateDirectoryA(path, nullptr) ? path : "";
}

std::vector<unsigned char> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

// The sheets come out of OleLoadPicture as exactly the pixels stb_image (the Linux decoder) reads from
// the same GIF bytes.
TEST(PictureDecoder, SheetsDecodeToTheSamePixelsAsOnLinux) {
    for (int id : {RESOURCE_GLYPH_SHEET, RESOURCE_SPRITE_SHEET}) {
        SCOPED_TRACE(id);
        const unsigned char* bytes = nullptr;
        DWORD size = 0;
        ASSERT_TRUE(resourceBytes(id, &bytes, &size));
        int w = 0, h = 0, channels = 0;
        unsigned char* reference = stbi_load_from_memory(bytes, (int)size, &w, &h, &channels, 4);
        ASSERT_NE(reference, nullptr);
        ASSERT_EQ(w, 512);
        ASSERT_EQ(h, 512);

        DecodedPicture picture;
        ASSERT_TRUE(decodeResourcePicture(id, picture));
        ASSERT_EQ(picture.width, w);  // 96 dots per inch: HIMETRIC back to the GIF's own size
        ASSERT_EQ(picture.height, h);
        int differing = 0;
        for (int i = 0; i < w * h * 4; ++i)
            if (picture.rgba[i] != reference[i] && ++differing <= 5)
                ADD_FAILURE() << "pixel " << i / 4 % w << "," << i / 4 / w << " channel " << i % 4 << ": "
                              << (int)picture.rgba[i] << " against " << (int)reference[i];
        EXPECT_EQ(differing, 0);
        stbi_image_free(reference);
    }
}

// A 3 x 2 GIF: red, green, blue over white, black, amber. The sheets are grey, so this is where the
// order of the channels and of the rows shows.
TEST(PictureDecoder, ColoursComeOutAsRgbWithRowsFromTheTop) {
    const unsigned char gif[] = {
        0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x03, 0x00, 0x02, 0x00, 0xf2, 0x05, 0x00, 0x00, 0x00, 0x00, 0xff,
        0x00, 0x00, 0x00, 0xff, 0x00, 0xff, 0xc8, 0x28, 0x00, 0x00, 0xff, 0xff, 0xff, 0xff, 0x00, 0x00, 0x00,
        0x00, 0x00, 0x00, 0x21, 0xf9, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x2c, 0x00, 0x00, 0x00, 0x00, 0x03,
        0x00, 0x02, 0x00, 0x00, 0x03, 0x04, 0x18, 0x42, 0x05, 0x93, 0x00, 0x3b};
    DecodedPicture picture;
    ASSERT_TRUE(decodePictureBytes(gif, sizeof gif, picture));
    ASSERT_EQ(picture.width, 3);
    ASSERT_EQ(picture.height, 2);
    const unsigned char expected[24] = {255, 0,   0,   255, 0, 255, 0, 255, 0,   0,   255, 255,
                                        255, 255, 255, 255, 0, 0,   0, 255, 255, 200, 40,  255};
    for (int i = 0; i < 24; ++i) EXPECT_EQ(picture.rgba[i], expected[i]) << "byte " << i;
}

TEST(PictureDecoder, MissingIdsAndBadBytesDecodeToNothing) {
    DecodedPicture picture;
    for (int id : {0, -1, 101, 999, 102 + 65536}) EXPECT_FALSE(decodeResourcePicture(id, picture)) << id;
    const unsigned char garbage[] = "GIF89a but not really a picture";
    EXPECT_FALSE(decodePictureBytes(garbage, sizeof garbage, picture));
    EXPECT_FALSE(decodePictureBytes(nullptr, 10, picture));
    EXPECT_EQ(picture.rgba, nullptr);
    EXPECT_EQ(picture.width, 0);
}

class WithContext : public ::testing::Test {
protected:
    static void SetUpTestSuite() { window = openTestWindow("VelmoraContextTest", 40, 30); }
    static void TearDownTestSuite() {
        if (window) SendMessageA(window, WM_CLOSE, 0, 0);
        dispatchWaitingMessages();
        if (window) DestroyWindow(window);
    }
    void SetUp() override { ASSERT_NE(wglGetCurrentContext(), nullptr); }
    static HWND window;
};
HWND WithContext::window = nullptr;

TEST_F(WithContext, GlyphSheetTextureIsWhiteWithTheBlueChannelAsAlpha) {
    GLuint texture = 0;
    int width = 0, height = 0;
    ASSERT_TRUE(loadResourceTexture(RESOURCE_GLYPH_SHEET, &texture, &width, &height));
    EXPECT_NE(texture, 0u);
    EXPECT_EQ(width, 512);
    EXPECT_EQ(height, 512);
    std::vector<unsigned char> texels((size_t)width * height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());

    DecodedPicture picture;
    ASSERT_TRUE(decodeResourcePicture(RESOURCE_GLYPH_SHEET, picture));
    int opaque = 0;
    for (int row = 0; row < height; ++row)
        for (int col = 0; col < width; ++col) {
            const unsigned char* t = &texels[((size_t)row * width + col) * 4];
            // Texture rows run from the bottom of the picture.
            const unsigned char* p = &picture.rgba[((size_t)(height - 1 - row) * width + col) * 4];
            ASSERT_EQ(t[0] & t[1] & t[2], 255) << col << "," << row;
            ASSERT_EQ(t[3], p[2]) << col << "," << row;
            opaque += t[3] == 255;
        }
    EXPECT_GT(opaque, 0);

    GLuint untouched = 77;
    EXPECT_FALSE(loadResourceTextureEx(999, &untouched, &width, &height, GL_LINEAR, GL_LINEAR, false));
    EXPECT_EQ(untouched, 77u);
}

// Screenshot files are created new: an existing one is never written through, and the bytes are the
// back buffer's, bottom row first, blue-green-red.
TEST_F(WithContext, ScreenshotsAreNewFilesOfTheBackBuffer) {
    const int w = 40, h = 30;
    applyWindowSize(w, h);
    glDisable(GL_DEPTH_TEST);
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor3f(0, 0, 1);
    glRecti(0, h - 1, w, h);  // the screen's bottom row blue
    glFinish();

    std::string dir = makeTempDir();
    ASSERT_FALSE(dir.empty());
    std::string taken = dir + "\\Screenshot_0.tga";
    { std::ofstream(taken, std::ios::binary) << "keep"; }
    setScreenshotCounter(0);
    std::string path = captureScreenshot(w, h, dir);
    EXPECT_EQ(path, dir + "/Screenshot_1.tga");
    EXPECT_EQ(screenshotCounter(), 2);
    std::vector<unsigned char> kept = readFile(taken);
    EXPECT_EQ(std::string(kept.begin(), kept.end()), "keep");

    std::vector<unsigned char> tga = readFile(path);
    ASSERT_EQ(tga.size(), 18u + 3u * w * h);
    EXPECT_EQ(tga[2], 2);
    EXPECT_EQ(tga[12] | tga[13] << 8, w);
    EXPECT_EQ(tga[14] | tga[15] << 8, h);
    EXPECT_EQ(tga[16], 24);
    const unsigned char* bottomLeft = &tga[18];
    const unsigned char* topLeft = &tga[18 + 3 * (size_t)w * (h - 1)];
    EXPECT_EQ(bottomLeft[0], 255);  // blue
    EXPECT_EQ(bottomLeft[2], 0);
    EXPECT_EQ(topLeft[0], 0);
    EXPECT_EQ(topLeft[2], 255);  // red

    // Nowhere to write: no file, and the counter stays.
    EXPECT_EQ(captureScreenshot(w, h, dir + "\\missing"), "");
    EXPECT_EQ(screenshotCounter(), 2);

    DeleteFileA(taken.c_str());
    DeleteFileA(path.c_str());
    RemoveDirectoryA(dir.c_str());
}
