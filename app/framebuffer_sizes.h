// The colour, depth and stencil sizes every OpenGL context of the program asks for: the window on
// each platform and the offscreen context of --render. Pictures are the same to the last pixel only
// when the sizes are: with 16 depth bits, letters lying close together settle their overlap
// differently than with 24 or more, and a window (given 32 bits where 16 were asked) and the offscreen
// context (given exactly 16) differed in a few hundred letter-edge pixels. 24 depth bits with 8 of
// stencil is the format every driver offers, and asking for the stencil bits keeps a driver that
// prefers deeper buffers from handing out 32 depth bits instead. No alpha: the window shows no
// destination alpha, and a desktop compositor would take an alpha channel for transparency.
#pragma once

struct FramebufferSizes {
    int red, green, blue, alpha, depth, stencil;
};

const FramebufferSizes kFramebufferSizes = {8, 8, 8, 0, 24, 8};
