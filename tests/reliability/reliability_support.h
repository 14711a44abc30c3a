// Machinery for the long runs: a seeded stream of window input, checks that every value of the four
// scenes is finite, snapshots of what a scene looks like when a visit starts, and memory figures.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/headless_run.h"

class ASeason;

// The input stream's own generator (splitmix64). It is separate from the program's generator so that
// the input never shifts the scenes' random draws: a seed names one input stream, and the program
// answers it the same way on every run.
class InputRandom {
public:
    explicit InputRandom(uint64_t seed) : state(seed) {}
    uint64_t next();
    int below(int n);               // 0 .. n - 1
    int range(int low, int high);   // low .. high, inclusive
    bool chance(double p);

private:
    uint64_t state;
};

// An environment variable as a number, or `fallback` when it is unset or not a number.
long long environmentNumber(const char* name, long long fallback);
bool environmentFlag(const char* name);

// The first value of scene `index` (0 Spring .. 3 Winter) that is not finite, as "what[i]", or an
// empty string when every letter, body, fish, plant, school, tree and camera value is finite.
std::string firstNonFinite(int index, ASeason* scene);

// What a visit of scene `index` starts from: one line per value that its reset restores.
std::vector<std::string> visitStartSnapshot(int index, ASeason* scene);
// The first line where two snapshots differ, or an empty string.
std::string snapshotDifference(const std::vector<std::string>& first, const std::vector<std::string>& later);

// Whether the scene's own interaction is going on: seeds flying (Spring), the net held (Summer),
// letters flying home (Autumn), the ring grabbed (Winter).
bool sceneInteracting(ASeason* scene);
// Whether the scene's motion is paused (Ctrl), and whether it is in its play phase.
bool scenePaused(ASeason* scene);
bool scenePlaying(ASeason* scene);

// Resident memory (/proc/self/statm) and the bytes the heap has handed out and not taken back (the
// allocator's own figure; under AddressSanitizer its count, which leaves out the quarantine).
size_t residentBytes();
size_t liveHeapBytes();
bool builtWithAddressSanitizer();

extern const char* const sceneNames[4];

// Prints the seed and frame of a run that dies in a crash or a sanitizer report.
void armCrashReport(uint64_t seed, long frames);
void crashReportFrame(long frame);
void disarmCrashReport();

// Runs each test in a directory of its own (the monkey's F12 presses save screenshots there) and
// removes it afterwards.
class ScratchDirectory {
public:
    ScratchDirectory();
    ~ScratchDirectory();
    const std::string& path() const { return dir; }
    int countFiles(const char* prefix) const;

private:
    std::string dir;
    std::string previous;
};

// Random window input for a running application, with a director that steers it through the opening,
// the menu and the scenes.
class Monkey {
public:
    struct Options {
        uint64_t seed = 1;
        long frames = 200000;
        int drawEvery = 48;         // 0: never draw; otherwise about every nth frame is drawn, and
                                    // the first two of every state
        bool allowQuit = true;      // Escape on the menu may close the piece (a new run then starts)
        bool allowEscape = true;    // Escape in a scene (besides the director's own) may end visits
        bool allowScreenshots = true;
        int sceneDwellMin = 200, sceneDwellMax = 6000;  // frames a visit lasts before Escape
        int onlyScene = -1;         // >= 0: every visit goes to this scene
    };
    struct Stats {
        long frames = 0;
        long drawn = 0;
        long events = 0;
        long framesInState[7] = {};
        long framesInScene[4] = {};
        long framesPlaying[4] = {};  // in the scene's play phase
        int visits[4] = {};
        // Frames in which each scene's own interaction was going on: seeds flying (Spring), the net
        // held (Summer), letters flying home (Autumn), the ring grabbed (Winter).
        long framesInteracting[4] = {};
        int runs = 1;                // the piece was started this many times
        double seconds = 0;
    };

    // Starts the piece headless at width x height (simulation only; the monkey draws the frames it
    // samples itself).
    Monkey(int width, int height, const Options& options);

    HeadlessRun& run() { return *headless; }

    // One frame: the director's and the random input, then the update and perhaps the draw. Returns
    // an empty string, or what went wrong (with the seed and frame).
    std::string step();
    // Sends random in-scene input for this frame without the director (used by the soak and visit
    // tests, which steer themselves).
    void sceneInput();
    // Lets go of every button and key still held.
    void releaseAll();
    // Lets go of everything and brings the piece back to the menu from wherever it is: a scene is left
    // by Escape, a closing piece is started anew. False if the menu is not reached.
    bool returnToMenu();
    std::string failure(const std::string& what) const;

    Stats stats;
    InputRandom random;

private:
    struct Stroke {
        bool active = false;
        int button = 1;
        int framesLeft = 0;
        float x = 0, y = 0, dx = 0, dy = 0;
    };
    std::unique_ptr<HeadlessRun> headless;
    int w, h;
    Options options;
    int target = 0;            // the scene the director goes to next
    std::vector<int> order;    // the scenes of the current round, in random order
    int menuDwell = 0, sceneDwell = 0;
    int stateFrames = 0;       // frames since the application's state last changed
    int lastState = -1;
    Stroke strokes[2];         // left and right button drags
    int heldKey = -1, heldKeyFrames = 0;
    bool buttonDown[8] = {};
    std::vector<int> keysDown;
    std::chrono::steady_clock::time_point started;

    int coordinateX();
    int coordinateY();
    int coordinate(int size);
    void randomEvent(int state);
    void startStroke(int slot);
    void advanceStrokes();
    void pickNextScene();
    void restartIfClosed();
    bool projectSceneTarget(float& x, float& y);
};
