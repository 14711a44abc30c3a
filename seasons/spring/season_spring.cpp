#include "seasons/spring/season_spring.h"
