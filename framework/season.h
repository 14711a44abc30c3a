// The interface the application holds every scene through.
#pragma once

class BitmapFont;

class ASeason {
public:
    bool finished = false;

    virtual ~ASeason() = default;
    virtual void init(int width, int height, BitmapFont* font);
    virtual void reset();
    virtual void update();
    virtual void draw();
    // A frame that is not drawn (a render skipping ahead to its first frame): does what draw() does
    // besides drawing, so that the frames after it come out the same. Leaves the view the next
    // update picks with (see render/view_picking.h) and advances what draw() advances.
    virtual void skipDraw();
    virtual void keyPressed(int key);
    virtual void keyReleased(int key);
    virtual void mouseMoved(int x, int y);
    virtual void mousePressed(int x, int y, int button);
    virtual void mouseReleased(int x, int y, int button);
    virtual void startExiting();
};

// Key codes are Windows virtual-key codes; the scenes keep a table of held keys this large and ignore
// any code outside it.
const int SEASON_KEY_COUNT = 320;
inline bool seasonKeyInRange(int key) { return key >= 0 && key < SEASON_KEY_COUNT; }

// Virtual-key codes the scenes read.
enum VirtualKey {
    VK_CODE_ENTER = 13, VK_CODE_SHIFT = 16, VK_CODE_CONTROL = 17, VK_CODE_ESCAPE = 27, VK_CODE_SPACE = 32,
    VK_CODE_A = 65, VK_CODE_Z = 90, VK_CODE_F12 = 123
};
