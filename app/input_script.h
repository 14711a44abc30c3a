// Input scripted by frame number, one action a line, delivered before the update of that frame (as
// the message pump delivers between frames). Lines:
//   <frame> move X Y            <frame> down X Y BUTTON      <frame> up X Y BUTTON
//   <frame> key VK              <frame> keyup VK             <frame> row INDEX   (a click on a menu row)
//   <frame> capture             (the frame is to be kept)    # a comment
// Coordinates are drawable pixels. The same script drives a headless run and the browser build, so
// the two can be compared frame by frame.
#pragma once

#include <string>
#include <vector>

class InputScript {
public:
    // False (and `error` says where) when a line cannot be read.
    bool parse(const std::string& text);
    // Delivers every action of frame `frame` to the application.
    void deliver(int frame) const;
    bool captures(int frame) const;
    // The last frame with an action or a capture.
    int lastFrame() const { return last; }
    std::string error;

private:
    struct Action {
        int frame;
        std::string verb;
        int a, b, c;
    };
    std::vector<Action> actions;
    int last = 0;
};
