// A placeholder scene: fades in from white, shows the season's name lying on the ground under the
// scenes' starting camera, and on Escape fades out and finishes. Real scenes replace it one by one.
#pragma once

#include <cmath>
#include <cstring>

#include "framework/season.h"
#include "render/bitmap_font.h"
#include "render/gl.h"
#include "render/orbit_camera.h"

class StandInSeason : public ASeason {
public:
    explicit StandInSeason(const char* name) : name(name) {}

    void init(int w, int h, BitmapFont* f) override {
        width = w;
        height = h;
        font = f;
        reset();
    }
    void reset() override {
        finished = false;
        frame = 0;
        exiting = false;
        camera.set(Vec3(0, 578.5f, 0), Vec3(0, 130, 0), Vec3(0, 1, 0));
        camera.yaw = 90;
    }
    void update() override {
        camera.update();
        frame += 1;
        if (exiting && frame >= exitFrame + 100) finished = true;
    }
    void draw() override {
        camera.apply();
        float textWidth = 0;
        for (const char* p = name; *p; ++p) textWidth += font->advanceOf(*p) + font->spacing;
        glColor3f(0, 0, 0);
        font->begin();
        glPushMatrix();
        glRotatef(90, 1, 0, 0);
        glScalef(40, 40, 40);
        glTranslatef(-textWidth / 2, 0, 0);
        for (const char* p = name; *p; ++p) font->drawGlyph(*p);
        glPopMatrix();
        BitmapFont::end();
        float alpha = exiting ? (frame - exitFrame) / 100.0f : 1.0f - frame / 100.0f;
        if (alpha > 0) {
            glMatrixMode(GL_PROJECTION);
            glPushMatrix();
            glLoadIdentity();
            gluOrtho2D(0, width, height, 0);
            glMatrixMode(GL_MODELVIEW);
            glPushMatrix();
            glLoadIdentity();
            glEnable(GL_BLEND);
            glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
            glColor4f(1, 1, 1, alpha > 1 ? 1 : alpha);
            glBegin(GL_QUADS);
            glVertex2f(0, height);
            glVertex2f(0, 0);
            glVertex2f(width, 0);
            glVertex2f(width, height);
            glEnd();
            glDisable(GL_BLEND);
            glPopMatrix();
            glMatrixMode(GL_PROJECTION);
            glPopMatrix();
            glMatrixMode(GL_MODELVIEW);
        }
    }
    void keyPressed(int key) override {
        if (key == VK_CODE_ESCAPE && !exiting) {
            exiting = true;
            exitFrame = frame;
        }
    }
    void keyReleased(int) override {}
    void mouseMoved(int, int) override {}
    void mousePressed(int, int, int) override {}
    void mouseReleased(int, int, int) override {}
    void startExiting() override { keyPressed(VK_CODE_ESCAPE); }

private:
    const char* name;
    int width = 0, height = 0;
    BitmapFont* font = nullptr;
    OrbitCamera camera;
    int frame = 0, exitFrame = 0;
    bool exiting = false;
};
