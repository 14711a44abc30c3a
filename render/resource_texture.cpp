#include "render/resource_texture.h"
