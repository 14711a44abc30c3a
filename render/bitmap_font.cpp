#include "render/bitmap_font.h"
