#include "engine/chara.h"
