// The Winter scene. The story lies printed in black on a white page seen from straight above; after
// the reading pause it dissolves from the edge inward and its letters become pale snow falling from a
// black sky, while the camera swings down and a brown tree fades in on the page. The snow settles on
// the branches; pulling the ring at the foot of the trunk to its rim shakes the tree and throws the
// snow off.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "framework/season_scene.h"
#include "render/gl.h"
#include "render/glyph_arrays.h"
#include "render/recorded_shape.h"
#include "render/view_picking.h"
#include "seasons/winter/snow_letter.h"
#include "seasons/winter/snow_tree.h"
#include "seasons/winter/trunk_handle.h"

// The story the snow comes from: seven lines.
extern const char* const winterStory;

class SeasonWinter : public SeasonScene {
public:
    SeasonWinter();
    // Benchmarks only: the scene made from `text` (which must outlive it) instead of the story.
    explicit SeasonWinter(const char* text);
    ~SeasonWinter() override;

    void init(int width, int height, BitmapFont* font) override;
    void reset() override;
    void draw() override;
    void skipDraw() override;

    // One frame of all snow: caught by the branches, falling, fading near the ground and respawning.
    void stepSnow();
    // Sends a letter back up above the page, invisible, with a fresh wobble, spin and speed limit.
    void respawn(SnowLetter& letter);
    // Throws every letter resting on a branch off the tree.
    void releaseSnow(SnowLetter* letters, int count);

    // The letters, in the order of the story's non-blank characters.
    int letterCount() const { return flakeCount; }
    std::vector<SnowLetter>& snow() { return flakes; }
    const std::vector<SnowLetter>& snow() const { return flakes; }
    SnowTree* tree() const { return snowTree.get(); }
    TrunkHandle* handle() const { return ring.get(); }
    const float* letterColour() const { return inkColour; }  // black on the page, pale as snow
    const Vec3& groundPoint() const { return pullPoint; }    // the pointer's last point on the ground
    const ViewMatrices& view() const { return pickView; }    // the view it was picked through

private:
    // Until the play phase the ring is parked far off: not drawn, and the tree cannot be touched.
    void stepIntro() override { ring->park(); }
    void stepDissolve(int elapsed, int length) override;
    void endDissolve() override;
    void stepPlay() override;
    void stepFadeOut() override { stepSnow(); }
    void buttonPressed(int button) override;
    void buttonReleased(int button) override;

    void layoutLetters(const std::vector<std::string>& lines, float size);
    void resetLetters();
    // The pointer's point on the ground plane y = 0, from the view the previous frame drew with.
    void pickGroundPoint(int x, int y);
    void buildShapes();

    const char* story = nullptr;
    int flakeCount = 0;
    std::vector<SnowLetter> flakes;
    std::unique_ptr<SnowTree> snowTree;
    std::unique_ptr<TrunkHandle> ring;
    float inkColour[3] = {0, 0, 0};
    Vec3 pullPoint;
    ViewMatrices pickView{};
    RecordedShape box;     // a unit box, the shape of every branch
    RecordedShape ground;  // the page, just below the ground
    GlyphArrays glyphs;     // the font's quads, drawn as arrays
};
