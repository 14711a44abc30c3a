// One word of the Summer story swimming as a small fish made of its letters. The body is a chain of
// glyphs around a head letter: the letters after the head form the tail (toward -x in the fish's own
// frame), the letters before it the snout (toward +x, the direction of travel). `letters` holds the
// word back to front, so the word's first letter is the tail end and its last letter the nose, and the
// word reads left to right on the page and along the direction of travel. The letters bend in a
// travelling wave, whip round on sharp turns, and the fish climbs and dives inside a box.
#pragma once

#include <string>
#include <vector>

#include "render/glyph_arrays.h"
#include "render/vector_math.h"

class BitmapFont;

class WordFish {
public:
    static constexpr int WANDER = 0;
    static constexpr int FLEE = 1;

    // Word and letter layout.
    int count = 0;
    float countF = 0;
    int head = 0;
    std::vector<float> letterOffset;
    std::vector<char> letters;  // the word back to front: letters[0] is its last letter
    float scale = 0;
    float spacing = 0;
    // Widths of the whole word and of the letters after the head, summed over the word as written;
    // they place the fish in the text.
    float totalWidth = 0;
    float tailWidth = 0;
    // Along x in the fish's own frame: the body drawn back to front starts where the word as written
    // would, tailWidth behind the fish's position.
    float bodyShift = 0;
    const BitmapFont* font = nullptr;
    const GlyphArrays* glyphs = nullptr;  // the scene's, when it has them: drawn in place of the font's lists

    int state = WANDER;
    bool inside = true;
    float minX = -200, maxX = 200, minY = 20, maxY = 200, minZ = -200, maxZ = 200;

    // Heading and turning.
    float heading = 0.1f;
    float displayedHeading = 0.1f;
    float turnRate = 0;
    float maxTurnRate = 60.0f;
    float turnKickOffset = 35.0f;
    float turnKickRange = 70.0f;
    float turnStep = 0;

    // Climbing.
    float climb = 0;
    float maxClimb = 25.0f;
    float targetClimb = 0;
    float climbJitterOffset = 5.0f;
    float climbJitterRange = 10.0f;
    float displayedClimb = 0;
    float climbStep = 0;

    float speed = 0;
    float targetSpeed = 1.5f;
    float damping = 0.99f;

    // The body wave.
    float wavePhase = 0;
    float waveSpeed = 0;
    float waveStep = 0;
    float waveAmplitude = 0;
    float letterPhaseStep = 0;
    std::vector<float> letterPhase;
    float waveFrequency = 8.0f;
    float waveWeight = 1.0f;
    std::vector<float> waveAngle;

    // The whip of a sharp turn.
    float blend = 0;
    float blendRate = 0.1f;
    bool turning = false;
    std::vector<float> turnAngle;
    float turnAmount = 0;
    std::vector<float> letterWeight;
    std::vector<float> bend;

    float minCruiseSpeed = 0.7f;
    float cruiseSpeedRange = 1.5f;
    float cruiseTimerRange = 100.0f;
    float cruiseTimer = 0;

    Vec3 position;
    Vec3 home;
    Vec3 force;
    Vec3 velocity;
    Vec3 previousVelocity;
    Matrix4 yawMatrix;
    Matrix4 climbMatrix;
    Matrix4 travelMatrix;

    WordFish() = default;

    // Sets up the fish for `token` at glyph scale `scale`. Draws one random number (the wave phase).
    void init(const std::string& token, const BitmapFont* font, float scale);
    // One frame: steer, swimWave, move.
    void update();
    // The net: a point nearer than `radius` (in x and z) pushes the fish away and makes it flee.
    void flee(const Vec3& point, float radius);
    void draw() const;
    // As draw, with the letters first rotated by `angle` about x: 270 lies flat, 360 stands upright.
    void drawUnfolding(float angle) const;
    void nudgeClimb(float amount);

    // The steps of one frame, open for the scene's school and for tests.
    void steer();
    void swimWave();
    void move();
    void bendLetters();
    void startTurn(float amount);
    void waveOffsets(float phase);
    void keepInside();

private:
    void drawBody(bool unfold, float angle) const;
};

// floor(count x 0.35) with 0.35 as a float and the product in double: 20 letters give 6.
int fishHeadIndex(int count);
