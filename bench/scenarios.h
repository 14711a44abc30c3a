// The benchmark's scenarios: the menu and each scene brought into its busiest phase in the real
// application (headless), then driven with input frame by frame while it is measured.
#pragma once

#include <string>

class HeadlessRun;

namespace bench {

enum class Scenario { Menu, Spring, Summer, Autumn, Winter };

const char* scenarioName(Scenario s);
bool scenarioFromName(const std::string& name, Scenario& s);

// Whether frames run by the scenarios draw everything (the default) or only set up the scene's view
// for the next update's picking (scaling runs, where drawing tens of thousands of letters would only
// slow the run down).
void setFullDraw(bool on);
// The draw half of a frame: appDraw, or only the scene's view when full drawing is off.
void drawFrame();

// Runs the application from its start until the scenario's busy phase (the menu shown; the scene in
// its play phase with the interaction under way). Returns false when the scene never got there.
bool prepareScenario(HeadlessRun& run, Scenario s);

// The input of measured frame `i` (0, 1, ...), delivered before that frame's update.
void scenarioInput(HeadlessRun& run, Scenario s, int i);

// A line on how busy the scene is right now (letters in flight, resting snow, ...).
std::string scenarioActivity(Scenario s);

// From a fresh application: enters scene `season` (0..3), skips its reading pause with a click and
// runs to its play phase; then the window pixel over the ground point (x, 0, z). For scripts driving
// the real program, whose camera is in the same place at that moment.
bool groundPixelAtPlay(HeadlessRun& run, int season, float x, float z, int& px, int& py);

// The scene at index `season` (2 Autumn, 3 Winter) built from its story repeated `times` times, put
// in the application's place of that scene. Owned by the benchmark until the process ends.
bool installScaledScene(int season, int times, int& letters);

}  // namespace bench
