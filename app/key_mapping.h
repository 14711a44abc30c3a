// SDL key codes to the Windows virtual-key codes the application speaks, and SDL's buttons and wheel
// to its button numbers. 0 means the key or button never reaches the application.
#pragma once

#include <SDL_keycode.h>

int virtualKeyFromSdl(SDL_Keycode key);
// 1 for the left button, 3 for the right; the middle and extra buttons are not used.
int buttonFromSdl(int sdlButton);
// A wheel turn of `steps` notches away from the user (positive) is button 4, toward the user 5.
int wheelButton(int steps);
