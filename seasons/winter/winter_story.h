// The Winter story: seven lines, whose non-blank characters become the snow letters.
#pragma once

extern const char* const winterStory;
