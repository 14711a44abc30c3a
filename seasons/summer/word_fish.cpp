#include "seasons/summer/word_fish.h"

#include <cmath>

#include "render/bitmap_font.h"
#include "render/gl.h"
#include "render/random_generator.h"

namespace {

const double kRadToDeg = 57.29578;
const double kDegToRad = 0.017453292;

float clampTo(float v, float lo, float hi) {
    if (v < lo) return lo;
    if (v > hi) return hi;
    return v;
}

float wrapDegrees(float a) {
    if (a > 360) return a - 360;
    if (a < 0) return a + 360;
    return a;
}

// The shorter way round the circle from b to a: its size in degrees, and its sign: -1 when b reaches a
// by growing, +1 when by shrinking. The body rules subtract sign x step from b.
void angleDifference(float a, float b, float& diff, float& sign) {
    double d1 = std::fmod(360.0 - a + b, 360.0);
    double d2 = (double)a - b;
    if (d2 < 0) d2 += 360.0;
    diff = (float)(d1 < d2 ? d1 : d2);
    sign = d1 < d2 ? 1.0f : -1.0f;
}

}  // namespace

int fishHeadIndex(int count) {
    if (count <= 0) return 0;
    return (int)std::floor((double)count * (double)0.35f);
}

void WordFish::init(const std::string& token, const BitmapFont* f, float glyphScale) {
    font = f;
    scale = glyphScale;
    spacing = scale * (font ? font->spacing : 0.0f);
    count = (int)token.size();
    countF = (float)count;
    head = fishHeadIndex(count);

    letterOffset.assign(count, 0.0f);
    // The chain is drawn from the tail end (-x) to the nose (+x), so the word is kept back to front:
    // its first letter at the tail end, its last at the nose. Laid out on the page, and swimming
    // forward seen from the side, the word then reads the right way round.
    letters.assign(token.rbegin(), token.rend());
    letterPhase.assign(count, 0.0f);
    waveAngle.assign(count, 0.0f);
    turnAngle.assign(count, 0.0f);
    letterWeight.assign(count, 0.0f);
    bend.assign(count, 0.0f);

    state = WANDER;
    inside = true;
    minX = -200, maxX = 200, minY = 20, maxY = 200, minZ = -200, maxZ = 200;
    heading = 0.1f;
    displayedHeading = 0.1f;
    turnRate = 0;
    turnStep = 0;
    climb = 0;
    targetClimb = 0;
    displayedClimb = 0;
    climbStep = 0;
    speed = 0;
    targetSpeed = 1.5f;

    // Letters without a word have no wave: a one-letter fish has no tail or snout to space out, and a
    // token without letters has nothing to bend at all.
    wavePhase = (float)(randomNext() * (1.0 / 32768.0) * 3.1415927);
    waveSpeed = count > 0 ? (7.0f / countF) * 0.04f : 0.0f;
    waveStep = waveSpeed;
    waveAmplitude = count > 0 ? 120.0f / countF : 0.0f;
    letterPhaseStep = count > 1 ? 4.8694687f / (countF - 1.0f) : 0.0f;
    waveFrequency = 8.0f;
    waveWeight = 1.0f;
    blend = 0;
    blendRate = 0.1f;
    turning = false;
    turnAmount = 0;
    cruiseTimer = 0;

    auto width = [&](char c) { return font ? font->advanceOf(c) * scale + spacing : spacing; };
    totalWidth = tailWidth = 0;
    for (int i = 0; i < count; ++i) {
        totalWidth += width(token[i]);
        if (i > head) tailWidth += width(token[i]);
    }
    float drawnTail = 0;
    for (int i = head + 1; i < count; ++i) {
        float w = width(letters[i]);
        letterOffset[i] = -w;
        letterPhase[i] = (float)i * letterPhaseStep;
        letterWeight[i] = 1.0f / countF + (float)i / countF;
        drawnTail += w;
    }
    bodyShift = drawnTail - tailWidth;
    for (int i = head - 1; i >= 0; --i) {
        letterPhase[i] = (float)i * letterPhaseStep;
        letterWeight[i] = -(1.0f / countF + (float)i / countF);
    }

    position.clear();
    home.clear();
    force.clear();
    velocity.clear();
    previousVelocity.clear();
}

void WordFish::update() {
    steer();
    swimWave();
    move();
}

void WordFish::nudgeClimb(float amount) {
    targetClimb = clampTo(targetClimb + amount, -maxClimb, maxClimb);
}

void WordFish::steer() {
    float c = climb;
    if (c > 180) c -= 360;
    c = clampTo(c, -maxClimb, maxClimb);

    if (state == WANDER) {
        if (inside) {
            nudgeClimb(randomFraction() * climbJitterRange - climbJitterOffset);
            float s = turnRate * 0.05f;
            heading += s;
            turnRate -= s;
            if ((int)(randomFraction() * 5.0) == 1) {
                turnRate += randomFraction() * turnKickRange - turnKickOffset;
                turnRate = clampTo(turnRate, -maxTurnRate, maxTurnRate);
            }
        }
        cruiseTimer -= 1;
        if (cruiseTimer < 0) {
            cruiseTimer = randomFraction() * cruiseTimerRange;
            targetSpeed = randomFraction() * cruiseSpeedRange + minCruiseSpeed;
        }
        climb = c - (c - targetClimb) * 0.09f;
        speed += (targetSpeed - speed) * 0.08f;
        double a = (heading - 90.0) * kDegToRad;
        force.add((float)(-speed * std::sin(a)), 0, (float)(speed * std::cos(a)));
    } else if (state == FLEE) {
        targetSpeed = 10.0f;
        speed += (10.0f - speed) * 0.05f;
        double a = (heading - 90.0) * kDegToRad;
        force.add((float)(-speed * std::sin(a)), 0, (float)(speed * std::cos(a)));
        turnRate = 0;
    }
    state = WANDER;
    keepInside();
}

void WordFish::keepInside() {
    float dx = 0, dz = 0;
    const float x = position.x, y = position.y, z = position.z;
    bool insideX = true, insideZ = true;
    if (x < minX) {
        dx = (minX - x) * 0.001f;
        insideX = false;
    } else if (x > maxX) {
        dx = -(x - maxX) * 0.001f;
        insideX = false;
    }
    if (y < minY)
        nudgeClimb((minY - y) * 0.01f);
    else if (y > maxY)
        nudgeClimb(-(y - maxY) * 0.01f);
    if (z < minZ) {
        dz = (minZ - z) * 0.001f;
        insideZ = false;
    } else if (z > maxZ) {
        dz = -(z - maxZ) * 0.001f;
        insideZ = false;
    }
    if (insideX && insideZ) {
        inside = true;
        return;
    }
    force.add(dx, 0, dz);
    inside = false;
}

void WordFish::swimWave() {
    waveStep = speed * 0.5f * waveSpeed;
    wavePhase += waveStep;
    waveOffsets(wavePhase);
    bendLetters();
}

void WordFish::waveOffsets(float phase) {
    for (int i = 0; i < count; ++i) {
        waveAngle[i] =
            (float)(std::sin((double)letterPhase[i] - (double)phase * waveFrequency) * letterWeight[i] * waveAmplitude);
    }
}

void WordFish::bendLetters() {
    if (turning) {
        blend += blendRate;
        displayedHeading -= turnAmount * blendRate;
        if (blend >= 1) {
            turning = false;
            blend = 1.0f;
        }
    } else if (blend != 0) {
        blend -= 0.05f;
        if (blend <= 0) blend = 0;
    }
    waveWeight = blend + 1.0f;
    for (int i = 0; i < count; ++i) bend[i] = turnAngle[i] * blend + waveAngle[i] * waveWeight;
    if (!turning) {
        for (int i = 0; i < count; ++i) bend[i] -= turnStep * 1.6f * letterWeight[i];
    }
    turnStep = 0;
}

void WordFish::startTurn(float amount) {
    if (blend != 0) return;
    turning = true;
    turnAmount = amount;
    amount = clampTo(amount, -28.0f, 28.0f);
    for (int i = 0; i < count; ++i) turnAngle[i] = -(amount * letterWeight[i]);
}

void WordFish::move() {
    previousVelocity = velocity;
    velocity = force;
    const float forceLength = force.length();
    // A force no stronger than the speed passes as it is; a stronger one is cut to the speed. A zero
    // force has no direction to scale and stays zero.
    if (forceLength >= speed && forceLength > 0) velocity = force * (speed / forceLength);
    force.clear();

    if (velocity.x + velocity.y + velocity.z != 0) {
        heading = (float)(std::atan2((double)velocity.z, (double)velocity.x) * kRadToDeg);
        yawMatrix.setRotationY(-heading);
        climbMatrix.setRotationZ(climb);
        travelMatrix = yawMatrix * climbMatrix;
        const float length = velocity.length();
        float vx, vy, vz;
        travelMatrix.transformPoint(length, 0, 0, &vx, &vy, &vz);
        velocity.set(vx, vy, vz);
    }
    velocity = Vec3(previousVelocity.x + velocity.x, previousVelocity.y + velocity.y,
                    previousVelocity.z + velocity.z) * 0.5f;
    position += velocity;
    velocity = velocity * damping;

    float diff, sign;
    if (!turning) {
        angleDifference(heading, displayedHeading, diff, sign);
        if (diff <= 45) {
            turnStep = sign * diff * 0.5f;
            displayedHeading -= turnStep;
        } else {
            speed *= 0.99f;
            startTurn(-sign * diff);
            displayedHeading -= 0.2f * sign * diff;
        }
    }
    displayedHeading = wrapDegrees(displayedHeading);
    heading = wrapDegrees(heading);

    angleDifference(climb, displayedClimb, diff, sign);
    climbStep = sign * diff * 0.5f;
    displayedClimb = wrapDegrees(displayedClimb - climbStep);
    climb = wrapDegrees(climb);
}

void WordFish::flee(const Vec3& point, float radius) {
    const float dx = position.x - point.x;
    const float dz = position.z - point.z;
    const float d2 = dx * dx + dz * dz;
    if (d2 < radius * radius) {
        const float k = std::sqrt(d2) / radius;  // radius > 0 here: d2 >= 0 is below its square
        force.add(k * dx, 0, k * dz);
        state = FLEE;
    }
}

void WordFish::draw() const { drawBody(false, 0); }

void WordFish::drawUnfolding(float angle) const { drawBody(true, angle); }

void WordFish::drawBody(bool unfold, float angle) const {
    if (count <= 0 || !font) return;  // a token without letters has nothing to show
    auto drawGlyph = [this](char c) {
        if (glyphs)
            glyphs->drawText(c);
        else
            font->drawGlyph(c);
    };
    glPushMatrix();
    glTranslatef(position.x, position.y, position.z);
    if (unfold) glRotatef(angle, 1, 0, 0);
    glRotatef(-displayedHeading, 0, 1, 0);
    glRotatef(displayedClimb, 0, 0, 1);
    glTranslatef(bodyShift, 0, 0);  // the word back to front, over the span it has as written

    glPushMatrix();
    for (int i = head + 1; i < count; ++i) {
        glRotatef(bend[i], 0, 1, 0);
        glTranslatef(letterOffset[i], 0, 0);
        glPushMatrix();
        glScalef(scale, scale, scale);
        drawGlyph(letters[i]);
        glPopMatrix();
    }
    glPopMatrix();

    glPushMatrix();
    glRotatef(bend[head], 0, 1, 0);
    glScalef(scale, scale, scale);
    drawGlyph(letters[head]);
    for (int i = head - 1; i >= 0; --i) {
        glRotatef(2 * bend[i], 0, 1, 0);
        drawGlyph(letters[i]);
    }
    glPopMatrix();

    glPopMatrix();
}
