#include "render/screen_widgets.h"
