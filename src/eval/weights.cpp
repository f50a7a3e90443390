#include "eval/weights.h"

void pst_init() {}
void OptionUpdate() {}
