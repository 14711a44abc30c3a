#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/headless_context.h"
#include "render/gl.h"
#include "system/screenshot.h"
#include "system/window_size.h"

namespace {

std::string makeTempDir() {
    char pattern[] = "/tmp/velmora-shots-XXXXXX";
    char* dir = mkdtemp(pattern);
    return dir ? dir : "";
}

std::vector<unsigned char> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

// Left half red, right half blue, the bottom row green: every byte of the file has a known place.
void drawPattern(int w, int h) {
    applyWindowSize(w, h);
    glDisable(GL_DEPTH_TEST);
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor3f(0, 0, 1);
    glRecti(w / 2, 0, w, h);
    glColor3f(0, 1, 0);
    glRecti(0, h - 1, w, h);  // y downward: the screen's bottom row
    glFinish();
}

}  // namespace

TEST(Screenshot, BytesOfARealFrameAtAnOddWidthBothSizesOverAByte) {
    const int w = 1023, h = 400;
    HeadlessContext context(w, h);
    ASSERT_TRUE(context.ok()) << context.error();
    drawPattern(w, h);
    std::string dir = makeTempDir();
    setScreenshotCounter(0);
    std::string path = captureScreenshot(w, h, dir);
    ASSERT_EQ(path, dir + "/Screenshot_0.tga");

    std::vector<unsigned char> tga = readFile(path);
    ASSERT_EQ(tga.size(), 18u + 3u * w * h);
    const unsigned char header[18] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                      (unsigned char)(w & 255), (unsigned char)(w >> 8), h & 255, h >> 8, 24, 0};
    for (int i = 0; i < 18; ++i) EXPECT_EQ(tga[i], header[i]) << "header byte " << i;

    auto px = [&](int x, int rowFromBottom) { return &tga[18 + 3 * ((size_t)rowFromBottom * w + x)]; };
    // The first stored row is the screen's bottom one (green), in blue-green-red order; above it red on
    // the left and blue on the right, packed rows with no padding.
    const int pixels[][5] = {{0, 0, 0, 255, 0}, {0, 5, 0, 0, 255}, {w - 1, 5, 255, 0, 0}, {w - 1, h - 1, 255, 0, 0}};
    for (const auto& p : pixels)
        EXPECT_TRUE(px(p[0], p[1])[0] == p[2] && px(p[0], p[1])[1] == p[3] && px(p[0], p[1])[2] == p[4]) << p[0] << "," << p[1];
    unlink(path.c_str());
    rmdir(dir.c_str());
}

TEST(Screenshot, NeverOverwritesAndLeavesNothingBehindOnFailure) {
    HeadlessContext context(64, 48);
    ASSERT_TRUE(context.ok()) << context.error();
    drawPattern(64, 48);
    std::string dir = makeTempDir();

    // Screenshot_0 exists and Screenshot_1 is a link planted to another file: both are skipped.
    { std::ofstream(dir + "/Screenshot_0.tga") << "keep me"; }
    { std::ofstream(dir + "/victim") << "untouched"; }
    ASSERT_EQ(symlink((dir + "/victim").c_str(), (dir + "/Screenshot_1.tga").c_str()), 0);
    setScreenshotCounter(0);
    EXPECT_EQ(captureScreenshot(64, 48, dir), dir + "/Screenshot_2.tga");
    EXPECT_EQ(captureScreenshot(64, 48, dir), dir + "/Screenshot_3.tga");
    EXPECT_EQ(screenshotCounter(), 4);
    EXPECT_EQ(readFile(dir + "/Screenshot_0.tga"), std::vector<unsigned char>({'k', 'e', 'e', 'p', ' ', 'm', 'e'}));
    EXPECT_EQ(readFile(dir + "/victim").size(), 9u) << "the link's target untouched";

    // A directory that cannot be written: nothing, and the counter stays.
    EXPECT_EQ(captureScreenshot(64, 48, dir + "/missing"), "");
    EXPECT_EQ(screenshotCounter(), 4);

    for (const char* name : {"Screenshot_0.tga", "Screenshot_1.tga", "Screenshot_2.tga", "Screenshot_3.tga", "victim"})
        unlink((dir + "/" + name).c_str());
    rmdir(dir.c_str());
}
