// Known endgames, looked up by material key.
#pragma once

void initializeKnownEndgames();  // enters them under the current material keys
