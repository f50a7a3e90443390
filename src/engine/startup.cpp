#include "engine/startup.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "board/bitboard.h"
#include "board/position.h"
#include "engine/uci.h"
#include "eval/endgame.h"
#include "eval/learned_network.h"
#include "eval/weights.h"
#include "movegen/gen.h"
#include "movegen/movestack.h"
#include "options/options.h"
#include "output/output.h"
#include "platform/platform.h"
#include "search/search_tables.h"
#include "search/think.h"
#include "search/tt.h"

char spos[128];
char ENG_NAME_VER[256];

void program_header() {
  gUseHwPopCnt = isPOPCNTSupported();
  std::snprintf(ENG_NAME_VER, sizeof ENG_NAME_VER, "%s", ENGINE_NAME_VERSION);
  if (gUseHwPopCnt) SendInfo("info string %s 64bit POPCNT", ENG_NAME_VER);
}

void GenInit() {
  char when[80];
  format_local_time(when, sizeof when, "%H%M%S%a%d%b%Y");
  std::snprintf(logi.name, sizeof logi.name, "log-%s.txt", when);
  logi.on = false;

  gDoPerft = false;
  initSearch();

  OptionUci.hash_mb = OptionGetInt("Hash");
  OptionUci.eval_hash_mb = OptionGetInt("EvalHash");
  OptionUci.pawn_hash_mb = OptionGetInt("PawnHash");
  OptionUci.knight_value_op = OptionGetInt("KnightValueOp");
  OptionUci.knight_value_en = OptionGetInt("KnightValueEn");
  OptionUci.bishop_value_op = OptionGetInt("BishopValueOp");
  OptionUci.bishop_value_en = OptionGetInt("BishopValueEn");
  OptionUci.rook_value_op = OptionGetInt("RookValueOp");
  OptionUci.rook_value_en = OptionGetInt("RookValueEn");
  OptionUci.queen_value_op = OptionGetInt("QueenValueOp");
  OptionUci.queen_value_en = OptionGetInt("QueenValueEn");

  si.ponder = false;
  out_of_book = 0;
  si.stop_search = false;
  si.time_available = 0;
  si.fixed_time = false;
  si.bench = false;
  si.poll_input = true;
  si.ponder_enabled = true;
  si.mate = -1;
  si.elapsed = 0;

  buildBitboardAttackTable();

  OptionUci.multi_pv = 1;
  OptionUci.time_buffer = 60;
  OptionUci.null_move = true;
  OptionUci.analyse_mode = false;
  OptionUci.insufficient_material_score = OptionUci.fifty_move_score = OptionUci.stalemate_score = 0;
  OptionUci.repetition_score = 0;
  OptionUci.own_book = false;
  OptionUci.elo = 2800;
  OptionUci.limit_strength = false;
  SearchInput = {};
  pst_init();
  OptionUpdate();
}

void init_engine() {
  // Every line must reach the GUI at once.
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  std::setvbuf(stdin, nullptr, _IONBF, 0);
  set_input_handler(LoopCall);
  std::srand(static_cast<unsigned>(std::time(nullptr)));
  program_header();
  std::memset(spos, 0, sizeof spos);
  std::strcpy(spos, "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
  OptionStart();
  GenInit();
  init_ttable(OptionUci.hash_mb, OptionUci.eval_hash_mb, OptionUci.pawn_hash_mb);
  load_embedded_network();
  new_keys();
  set_start_position();
}

void new_keys() {
  init_hash();
  initializeKnownEndgames();
}

bool init_board(const char* fen_text) {
  clearHash();
  new_keys();
  return init_board1(fen_text);
}

void set_start_position() {
  init_board(spos);
  ply = 0;
  gen();
  root_hply = hply;
}
