#include <gtest/gtest.h>

#include <SDL_mouse.h>

#include <utility>

#include "app/key_mapping.h"

TEST(KeyMapping, WindowsVirtualKeysButtonsAndTheWheel) {
    const std::pair<SDL_Keycode, int> keys[] = {
        {SDLK_a, 65}, {SDLK_z, 90}, {SDLK_0, 48}, {SDLK_9, 57}, {SDLK_ESCAPE, 27}, {SDLK_RETURN, 13},
        {SDLK_KP_ENTER, 13}, {SDLK_SPACE, 32}, {SDLK_LSHIFT, 16}, {SDLK_RSHIFT, 16}, {SDLK_LCTRL, 17},
        {SDLK_RCTRL, 17}, {SDLK_LEFT, 37}, {SDLK_UP, 38}, {SDLK_RIGHT, 39}, {SDLK_DOWN, 40}, {SDLK_F1, 112},
        {SDLK_F12, 123}, {SDLK_DELETE, 46},
        // Keys without a virtual-key code are dropped.
        {SDLK_UNKNOWN, 0}, {SDLK_MUTE, 0}, {SDLK_F13, 0}, {(SDL_Keycode)0x7fffffff, 0}};
    for (const auto& k : keys) EXPECT_EQ(virtualKeyFromSdl(k.first), k.second) << "SDL key " << k.first;
    EXPECT_TRUE(buttonFromSdl(SDL_BUTTON_LEFT) == 1 && buttonFromSdl(SDL_BUTTON_RIGHT) == 3 &&
                buttonFromSdl(SDL_BUTTON_MIDDLE) == 0 && buttonFromSdl(SDL_BUTTON_X1) == 0);
    EXPECT_TRUE(wheelButton(1) == 4 && wheelButton(-2) == 5);
}
