#include "render/random_generator.h"
