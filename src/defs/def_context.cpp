#include "defs/def_context.h"

cDefContext g_DefContext;
