// The answer to "go": the best move and the board left behind.
#pragma once

void ShowBestMove();
