#include "render/orbit_camera.h"
