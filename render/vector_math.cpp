#include "render/vector_math.h"
