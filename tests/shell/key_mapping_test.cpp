#include <gtest/gtest.h>

#include "app/key_mapping.h"

TEST(KeyMapping, WindowsVirtualKeys) {
    EXPECT_EQ(virtualKeyFromSdl(SDLK_a), 65);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_z), 90);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_0), 48);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_9), 57);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_ESCAPE), 27);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_RETURN), 13);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_SPACE), 32);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_LSHIFT), 16);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_RSHIFT), 16);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_LCTRL), 17);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_RCTRL), 17);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_LEFT), 37);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_UP), 38);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_RIGHT), 39);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_DOWN), 40);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_F1), 112);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_F12), 123);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_DELETE), 46);
}

TEST(KeyMapping, KeysWithoutAVirtualKeyAreDropped) {
    EXPECT_EQ(virtualKeyFromSdl(SDLK_UNKNOWN), 0);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_MUTE), 0);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_F13), 0);
    EXPECT_EQ(virtualKeyFromSdl((SDL_Keycode)0x7fffffff), 0);
}
