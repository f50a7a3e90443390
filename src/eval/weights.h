// The evaluation's tunable weights and piece-square tables.
#pragma once

void pst_init();      // rebuilds the generated piece-square tables
void OptionUpdate();  // takes the weight options over, clamped
