// The static evaluation of the current position, in centipawns from the
// side to move's point of view.
#pragma once

int eval();
