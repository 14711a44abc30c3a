#include "render/glyph_table.h"
