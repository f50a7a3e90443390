#include "engine/diagnostics.h"

void bench() {}
