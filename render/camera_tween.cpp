#include "render/camera_tween.h"
