// Bringing the process from nothing to the command loop.
#pragma once

extern char spos[128];          // the start-position FEN
extern char ENG_NAME_VER[256];  // name and version for "id name"
constexpr const char* ENGINE_NAME_VERSION = "Corvantis v2019.2.37.73";

void program_header();
void GenInit();
void init_engine();  // the whole start-up, up to the command loop
// New keys and the known-endgame table under them.
void new_keys();
// A position with new keys and emptied tables ("position", "ucinewgame",
// bench); false, the board unusable, when fen() refuses the text.
bool init_board(const char* fen_text);
// A new game from the start position, with its root move list ready for the
// move texts of "position".
void set_start_position();
