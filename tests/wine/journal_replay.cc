// Replays a journal of the real program (app/input_journal.h) headless: the same input at the same
// frames, so the screenshots it asked for are drawn again, here by the Linux build. Checks that the
// application passes through the journal's states at the journal's frames, and compares each
// screenshot with the program's own.
//
//   velmora_journal_replay WxH --menu-rows          the centre of each menu row, "x y" a line
//   velmora_journal_replay WxH <journal> <shots>    replays in the working directory, compares each
//                                                   Screenshot_N.tga with <shots>/Screenshot_N.tga
//
// Exit status 1 when a state comes at another frame, a screenshot is missing or one differs by more
// than the tolerance below.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/headless_run.h"
#include "app/input_journal.h"
#include "framework/application.h"
#include "system/screenshot.h"

namespace {

// Both programs draw with llvmpipe and compute in SSE2, but the Windows one is a 32-bit build: its
// Mesa is the i386 one and its C library's sines and powers are other code, so a blended edge can round
// the other way or a letter stand a hair apart: up to 4 of the 786432 pixels of a 1024 x 768
// screenshot differed by more than kChannelSlack in the runs measured (none in the menu and the fades;
// a 64-bit build matched bit for bit; the x87 build before SSE2 drifted apart by up to 3590). A wrong
// colour, a shifted or missing letter, another camera or a stale frame changes thousands. A screenshot
// passes with at most kPixelShare of its pixels different (786 at 1024 x 768).
const int kChannelSlack = 24;
const double kPixelShare = 0.001;

std::vector<unsigned char> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

// False when the two differ beyond the tolerance; prints the comparison either way.
bool compareShots(const std::string& name, const std::string& mine, const std::string& theirs) {
    std::vector<unsigned char> a = readFile(mine), b = readFile(theirs);
    if (a.size() != b.size() || a.size() < 18) {
        std::printf("%s: %zu bytes here, %zu in %s\n", name.c_str(), a.size(), b.size(), theirs.c_str());
        return false;
    }
    size_t pixels = (a.size() - 18) / 3, differing = 0;
    int largest = 0;
    for (size_t p = 0; p < pixels; ++p) {
        int worst = 0;
        for (size_t i = 18 + 3 * p; i < 21 + 3 * p; ++i) worst = std::max(worst, std::abs(a[i] - b[i]));
        largest = std::max(largest, worst);
        differing += worst > kChannelSlack;
    }
    bool same = std::memcmp(a.data(), b.data(), 18) == 0 && differing <= pixels * kPixelShare;
    std::printf("%s: %zu of %zu pixels differ by more than %d (largest channel difference %d): %s\n",
                name.c_str(), differing, pixels, kChannelSlack, largest, same ? "match" : "DIFFERENT");
    return same;
}

void apply(const JournalEvent& e) {
    std::string kind = e.kind;
    if (kind == "key_down") appInput(keyEvent(INPUT_KEY_DOWN, e.a));
    if (kind == "key_up") appInput(keyEvent(INPUT_KEY_UP, e.a));
    if (kind == "move") appInput(mouseEvent(INPUT_MOVE, e.a, e.b));
    if (kind == "down") appInput(mouseEvent(INPUT_PRESS, e.a, e.b, e.c));
    if (kind == "up") appInput(mouseEvent(INPUT_RELEASE, e.a, e.b, e.c));
}

}  // namespace

int main(int argc, char** argv) {
    int w = 0, h = 0;
    bool rows = argc > 2 && !std::strcmp(argv[2], "--menu-rows");
    if (argc < 3 || std::sscanf(argv[1], "%dx%d", &w, &h) != 2 || (!rows && argc < 4)) {
        std::fprintf(stderr, "usage: velmora_journal_replay WxH --menu-rows | WxH <journal> <shots dir>\n");
        return 2;
    }
    HeadlessRun run(w, h);
    if (!run.ok()) {
        std::fprintf(stderr, "no headless context: %s\n", run.error().c_str());
        return 1;
    }
    if (rows) {
        for (int i = 0; i < 4; ++i) {
            float left, top, right, bottom;
            appMenuRowRect(i, left, top, right, bottom);
            std::printf("%d %d\n", (int)((left + right) / 2), (int)((top + bottom) / 2));
        }
        return 0;
    }
    std::FILE* journal = std::fopen(argv[2], "r");
    if (!journal) {
        std::fprintf(stderr, "cannot read %s\n", argv[2]);
        return 1;
    }
    bool ok = true;
    int events = 0;
    JournalEvent e;
    while (readJournalEvent(journal, e)) {
        while (run.frame() < e.frame && run.runFrames(1)) {
        }
        if (run.frame() < e.frame) {
            std::printf("the replay ended at frame %d, before the journal's %d\n", run.frame(), e.frame);
            ok = false;
            break;
        }
        if (!std::strcmp(e.kind, "state") && appStateId() != e.a) {
            std::printf("frame %d: state %d in the replay, %d in the journal\n", e.frame, appStateId(), e.a);
            ok = false;
        }
        apply(e);
        events += 1;
    }
    std::fclose(journal);
    for (int i = 0; i < 1000 && run.runFrames(1); ++i) {  // the frame of a last screenshot, the closing
    }
    int shots = screenshotCounter();
    std::printf("replayed %d journal lines over %d frames, %d screenshots\n", events, run.frame(), shots);
    for (int n = 0; n < shots; ++n) {
        std::string name = "Screenshot_" + std::to_string(n) + ".tga";
        ok = compareShots(name, name, std::string(argv[3]) + "/" + name) && ok;
    }
    return ok ? 0 : 1;
}
