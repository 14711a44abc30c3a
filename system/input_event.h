// One piece of input as a value: a key, the pointer moving, a button pressed or let go. Every source
// (the platform's window, a replayed recording, the gallery's visitor, a test's script) makes these,
// and the application takes them through appInput.
#pragma once

enum InputKind { INPUT_KEY_DOWN, INPUT_KEY_UP, INPUT_MOVE, INPUT_PRESS, INPUT_RELEASE };

struct InputEvent {
    long frame = 0;   // updates run before the event was delivered
    InputKind kind = INPUT_MOVE;
    int key = 0;      // virtual-key code (key events)
    int x = 0, y = 0, button = 0;  // window pixels and button 1, 3, 4, 5 (mouse events)
};

inline InputEvent keyEvent(InputKind kind, int key) {
    InputEvent e;
    e.kind = kind;
    e.key = key;
    return e;
}

inline InputEvent mouseEvent(InputKind kind, int x, int y, int button = 0) {
    InputEvent e;
    e.kind = kind;
    e.x = x;
    e.y = y;
    e.button = button;
    return e;
}

inline bool isMouseEvent(const InputEvent& e) {
    return e.kind == INPUT_MOVE || e.kind == INPUT_PRESS || e.kind == INPUT_RELEASE;
}
