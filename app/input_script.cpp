#include "app/input_script.h"

#include <sstream>

#include "framework/application.h"

bool InputScript::parse(const std::string& text) {
    actions.clear();
    last = 0;
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        std::istringstream words(line);
        Action action{0, "", 0, 0, 0};
        if (!(words >> action.frame)) {
            std::istringstream rest(line);
            std::string first;
            if (!(rest >> first) || first[0] == '#') continue;  // blank or a comment
            error = "line " + std::to_string(number) + ": no frame number";
            return false;
        }
        words >> action.verb;
        int wanted = action.verb == "move" ? 2 : action.verb == "down" || action.verb == "up" ? 3
                     : action.verb == "key" || action.verb == "keyup" || action.verb == "row" ? 1
                     : action.verb == "capture" ? 0 : -1;
        int* args[3] = {&action.a, &action.b, &action.c};
        bool ok = wanted >= 0;
        for (int i = 0; ok && i < wanted; ++i) ok = (bool)(words >> *args[i]);
        if (!ok) {
            error = "line " + std::to_string(number) + ": cannot read \"" + line + "\"";
            return false;
        }
        if (action.frame > last) last = action.frame;
        actions.push_back(action);
    }
    return true;
}

void InputScript::deliver(int frame) const {
    for (const Action& a : actions) {
        if (a.frame != frame) continue;
        if (a.verb == "move") appInput(mouseEvent(INPUT_MOVE, a.a, a.b));
        else if (a.verb == "down") appInput(mouseEvent(INPUT_PRESS, a.a, a.b, a.c));
        else if (a.verb == "up") appInput(mouseEvent(INPUT_RELEASE, a.a, a.b, a.c));
        else if (a.verb == "key") appInput(keyEvent(INPUT_KEY_DOWN, a.a));
        else if (a.verb == "keyup") appInput(keyEvent(INPUT_KEY_UP, a.a));
        else if (a.verb == "row") {
            float left, top, right, bottom;
            appMenuRowRect(a.a, left, top, right, bottom);
            int x = (int)((left + right) / 2), y = (int)((top + bottom) / 2);
            appInput(mouseEvent(INPUT_MOVE, x, y));
            appInput(mouseEvent(INPUT_PRESS, x, y, 1));
            appInput(mouseEvent(INPUT_RELEASE, x, y, 1));
        }
    }
}

bool InputScript::captures(int frame) const {
    for (const Action& a : actions)
        if (a.frame == frame && a.verb == "capture") return true;
    return false;
}
