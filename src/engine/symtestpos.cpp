#include "engine/diagnostics.h"

void symtestpos() {}
