// SDL key codes to the Windows virtual-key codes the application speaks. 0 means the key has no
// virtual-key code and never reaches the application.
#pragma once

#include <SDL_keycode.h>

int virtualKeyFromSdl(SDL_Keycode key);
