// The option table: every tunable setting, held as text, and the record of
// the values the search, the evaluation and the book read, already converted
// and clamped. Every floor may read it; the UCI side of options (the list
// and "setoption") is the engine's.
#pragma once

#include <string>

struct OptionRow {
  const char* name;
  bool declare;      // listed in the answer to "uci"
  const char* init;  // default text
  const char* type;  // "spin", "check", "string", "combo" or "button"
  const char* var;   // rest of the declaration; null for the button
  std::string value;
};

extern OptionRow Option[];

struct OptionValues {
  int hash_mb, eval_hash_mb, pawn_hash_mb;
  int elo;
  int multi_pv;
  int time_buffer;
  int insufficient_material_score, fifty_move_score, stalemate_score;
  int queen_value_op, queen_value_en;
  int rook_value_op, rook_value_en;
  int bishop_value_op, bishop_value_en;
  int knight_value_op, knight_value_en;
  bool analyse_mode;
  bool null_move;
  bool limit_strength;
  bool own_book;
  bool show_wdl;  // "info" scores carry win/draw/loss chances
  int repetition_score;
};

extern OptionValues OptionUci;

// The piece values' options and their ranges: "setoption" clamps to them,
// the weakened play draws from them.
struct PieceValueOption {
  const char* name;
  int OptionValues::*field;
  int lo, hi;
};
extern const PieceValueOption PieceValueOptions[8];

void OptionStart();
OptionRow* OptionFind(const char* name);
bool OptionSet(const char* name, const char* text);
const char* OptionGetString(const char* name);
int OptionGetInt(const char* name);
bool OptionGetBool(const char* name);

bool my_StringIsEqual(const char* a, const char* b);  // case-insensitive
// The leading decimal integer of a text, 0 when there is none; values beyond
// the int range saturate instead of overflowing.
int text_to_int(const char* text);
