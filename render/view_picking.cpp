#include "render/view_picking.h"
