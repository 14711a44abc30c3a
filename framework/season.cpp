#include "framework/season.h"

#include <cstdio>

// A scene that forgot an operation says so on standard output.
void ASeason::init(int, int, BitmapFont*) { std::fputs("ASeason's init() was called!\n", stdout); }
void ASeason::reset() { std::fputs("ASeason's reset() was called!\n", stdout); }
void ASeason::update() { std::fputs("ASeason's update() was called!\n", stdout); }
void ASeason::draw() { std::fputs("ASeason's draw() was called!\n", stdout); }
void ASeason::skipDraw() {}
void ASeason::keyPressed(int) { std::fputs("ASeason's keyPressed() was called!\n", stdout); }
void ASeason::keyReleased(int) { std::fputs("ASeason's keyReleased() was called!\n", stdout); }
void ASeason::mouseMoved(int, int) { std::fputs("ASeason's mouseMoved() was called!\n", stdout); }
void ASeason::mousePressed(int, int, int) { std::fputs("ASeason's mousePressed() was called!\n", stdout); }
void ASeason::mouseReleased(int, int, int) { std::fputs("ASeason's mouseReleased() was called!\n", stdout); }
void ASeason::startExiting() { std::fputs("ASeason's startExiting() was called!\n", stdout); }
