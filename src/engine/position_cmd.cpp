// The "position" command: set up a FEN or the start position and play the moves.
#include <cstring>

#include "board/makemove.h"
#include "board/position.h"
#include "engine/commands.h"
#include "engine/startup.h"
#include "engine/uci.h"
#include "movegen/gen.h"
#include "movegen/movestack.h"
#include "movegen/movetext.h"
#include "output/output.h"
#include "search/think.h"

namespace {

// Game moves beyond this are not played, so that a search from the position
// still has a full MAX_PLY of history records above it.
constexpr int MAX_GAME_PLY = HIST_STACK - MAX_PLY;

void play_moves(const char* t) {
  while (*t) {
    char text[6] = {};
    int len = 0;
    while (len < 4 && t[len]) {
      text[len] = t[len];
      ++len;
    }
    if (len == 4 && t[4] && t[4] != ' ') text[len++] = t[4];
    t += len;

    const int index = parse_move(text);
    if (index < 0) {
      SendInfo("info string Unknown command %s", text);
      log_printf("Unknown command %s\n", text);
      return;
    }
    if (hply >= MAX_GAME_PLY) {
      SendInfo("info string game history full, %s and later moves not played", text);
      return;
    }
    const move_bytes m = gen_dat[index].m.b;
    if (!makemove(m)) {
      SendInfo("info string %s is illegal", text);
      log_printf("%s is illegal\n", move_str(m));
      return;
    }
    ply = 0;
    root_hply = hply;
    gen();
    while (*t == ' ') ++t;
  }
}

}  // namespace

void uci_position(const char* line) {
  char text[128] = {};
  if (const char* f = std::strstr(line, "fen ")) std::strncpy(text, f + 4, sizeof text - 1);
  else std::strcpy(text, spos);
  SearchInput.count = 0;  // a "searchmoves" list belongs to the position it was given for
  if (!init_board1(text)) {
    SendInfo("info string invalid fen %s, using the start position", text);
    init_board(spos);
  }
  gen();
  root_hply = hply;
  if (const char* moves = std::strstr(line, "moves ")) play_moves(moves + 6);
}
