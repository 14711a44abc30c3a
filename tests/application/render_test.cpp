// --render end to end: only the frames asked for are written, each named by its frame number, at the
// size asked for (or the recording's own); frames after a skipped stretch equal the same frames drawn
// all the way; frames past the recording's end are refused, and a frame that cannot be written ends
// the render with a message and a failing exit code.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "app/command_line.h"
#include "app/offscreen_render.h"

namespace {

std::string scratch(const char* name) {
    std::string path = std::string("/tmp/velmora_render_") + name + "_" + std::to_string(getpid());
    std::system(("rm -rf '" + path + "'").c_str());
    mkdir(path.c_str(), 0777);
    return path;
}

std::string contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string frameFile(const std::string& dir, long frame) {
    char name[32];
    std::snprintf(name, sizeof name, "/frame_%06ld.png", frame);
    return dir + name;
}

// The PNG's width and height as width * 10000 + height.
int pngSize(const std::string& path) {
    const std::string s = contents(path);
    auto byte = [&s](size_t i) { return s.size() > i ? (unsigned char)s[i] : 0; };
    return (byte(18) << 8 | byte(19)) * 10000 + (byte(22) << 8 | byte(23));
}

int render(const std::string& recording, const std::string& out, long first, long last, const char* video = "",
           int width = 160, int height = 90) {
    CommandLine line;
    line.mode = CommandLine::RENDER;
    line.recordingPath = recording;
    line.outDir = out;
    line.videoPath = video;
    line.width = width;
    line.height = height;
    line.firstFrame = first;
    line.lastFrame = last;
    return renderRecording(line);
}

}  // namespace

// Summer entered from the menu, the pause skipped, the net swept through the fish: the net is picked
// through the view the last frame left, and the first frames of the range come after skipped ones.
TEST(Render, FramesAfterSkippedOnesEqualFramesDrawnAllTheWay) {
    const std::string dir = scratch("skip");
    std::ofstream(dir + "/summer.vrec") << "velmora-input 1\nsize 1024 768\n425 move 512 363\n426 press 512 363 1\n"
                                           "427 release 512 363 1\n790 press 512 384 1\n791 release 512 384 1\n"
                                           "900 move 300 500\n901 press 300 500 1\n950 move 700 300\nend 1000\n";
    const std::string all = dir + "/all", ranged = dir + "/ranged";
    ASSERT_EQ(render(dir + "/summer.vrec", all, 0, 999), 0);
    ASSERT_EQ(render(dir + "/summer.vrec", ranged, 940, 5000), 0);  // to the end
    for (long f = 940; f <= 999; ++f) {
        const std::string drawn = contents(frameFile(all, f)), skipped = contents(frameFile(ranged, f));
        ASSERT_FALSE(drawn.empty()) << f;
        ASSERT_TRUE(drawn == skipped) << "frame " << f;
    }
    EXPECT_FALSE(std::ifstream(frameFile(ranged, 939)).good() || std::ifstream(frameFile(ranged, 1000)).good());
    EXPECT_EQ(pngSize(frameFile(ranged, 940)), 160 * 10000 + 90);
    std::system(("rm -rf '" + dir + "'").c_str());
}

TEST(Render, AFrameThatCannotBeWrittenFailsTheRender) {
    const std::string dir = scratch("fail");
    std::ofstream(dir + "/short.vrec") << "velmora-input 1\nsize 640 360\nend 12\n";
    // A folder in the way of frame 5: frames 0 to 4 are written, in order, and nothing after them.
    mkdir((dir + "/out").c_str(), 0777);
    mkdir(frameFile(dir + "/out", 5).c_str(), 0777);
    testing::internal::CaptureStderr();
    EXPECT_EQ(render(dir + "/short.vrec", dir + "/out", 0, 11, "", 0, 0), 1);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("cannot write " + frameFile(dir + "/out", 5)),
              std::string::npos);
    EXPECT_EQ(pngSize(frameFile(dir + "/out", 4)), 640 * 10000 + 360);  // the recording's own size
    EXPECT_FALSE(std::ifstream(frameFile(dir + "/out", 6)).good());
    EXPECT_FALSE(std::ifstream(frameFile(dir + "/out", 5) + ".part").good());
    // Frames past the recording's end: refused, nothing written.
    EXPECT_EQ(render(dir + "/short.vrec", dir + "/past", 12, 20), 1);
    EXPECT_FALSE(std::ifstream(frameFile(dir + "/past", 12)).good());
    // An ffmpeg that takes no frames.
    std::ofstream(dir + "/ffmpeg") << "#!/bin/sh\nexit 1\n";
    chmod((dir + "/ffmpeg").c_str(), 0755);
    const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", dir.c_str(), 1);
    testing::internal::CaptureStderr();
    EXPECT_EQ(render(dir + "/short.vrec", "", 0, 11, "out.mp4"), 1);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("ffmpeg"), std::string::npos);
    setenv("PATH", path.c_str(), 1);
    std::system(("rm -rf '" + dir + "'").c_str());
}
