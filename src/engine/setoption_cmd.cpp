// The "setoption" command: store the text in the option table, then apply it.
#include <cstring>

#include "board/castling.h"
#include "engine/commands.h"
#include "engine/uci.h"
#include "eval/eval_hash.h"
#include "eval/learned_network.h"
#include "eval/weights.h"
#include "options/options.h"
#include "output/output.h"
#include "search/search_tables.h"
#include "search/strength.h"
#include "search/threads.h"
#include "search/tt.h"

namespace {

int clamp(int v, int lo, int hi) { return v < lo ? lo : v > hi ? hi : v; }

void reallocate_tables(const char* message) {
  free_tt();
  init_ttable(OptionUci.hash_mb, OptionUci.eval_hash_mb, OptionUci.pawn_hash_mb);
  log_printf("%s", message);
}

struct ClampedOption {
  const char* name;
  int OptionValues::*field;
  int lo, hi;
};

constexpr ClampedOption clamped_options[] = {
    {"UCI_Elo", &OptionValues::elo, kWeakestElo, kStrongestElo},
    {"InsufficientMaterialScore", &OptionValues::insufficient_material_score, -MATE_BOUND, MATE_BOUND},
    {"FiftyMoveScore", &OptionValues::fifty_move_score, -MATE_BOUND, MATE_BOUND},
    {"StaleMateScore", &OptionValues::stalemate_score, -MATE_BOUND, MATE_BOUND},
    {"RepetitionScore", &OptionValues::repetition_score, -MATE_BOUND, MATE_BOUND},
    {"TimeBufferMilliSec", &OptionValues::time_buffer, 0, 1000},
    {"MultiPV", &OptionValues::multi_pv, 1, 300},
};

struct FlagOption {
  const char* name;
  bool OptionValues::*field;
};

constexpr FlagOption flag_options[] = {
    {"UCI_LimitStrength", &OptionValues::limit_strength},
    {"NullMove", &OptionValues::null_move},
    {"UCI_AnalyseMode", &OptionValues::analyse_mode},
    {"OwnBook", &OptionValues::own_book},
    {"UCI_ShowWDL", &OptionValues::show_wdl},
};

// The level's node budget applies from now on, not only from the next
// "isready"; switched off, the engine plays at full strength again with its
// own piece values and weights.
void weaken_or_restore(bool was_weakened) {
  if (OptionUci.limit_strength) {
    si.nodes = strength_node_budget(OptionUci.elo);
  } else if (was_weakened) {
    si.nodes = 0;
    end_weakened_play();
  }
}

void apply_option(const char* name) {
  auto is = [name](const char* option) { return my_StringIsEqual(name, option); };
  if (is("Hash")) {
    OptionUci.hash_mb = clamp(OptionGetInt("Hash"), 8, 2048);
    reallocate_tables("Initialize hash table\n");
  } else if (is("EvalHash")) {
    OptionUci.eval_hash_mb = clamp(OptionGetInt("EvalHash"), 4, 32);
    reallocate_tables("Initialize eval hash table\n");
  } else if (is("PawnHash")) {
    OptionUci.pawn_hash_mb = clamp(OptionGetInt("PawnHash"), 1, 8);
    reallocate_tables("Initialize pawn hash table\n");
  } else if (is("Log")) {
    log_set(OptionGetBool("Log"));
  } else if (is("Ponder")) {
    si.ponder_enabled = OptionGetBool("Ponder");
  } else if (is("Threads")) {
    set_thread_count(clamp(OptionGetInt("Threads"), 1, MAX_THREADS));
  } else if (is("UCI_Chess960")) {
    chess960 = OptionGetBool("UCI_Chess960");
  } else if (is("UseLearnedEval")) {
    set_learned_eval(OptionGetBool("UseLearnedEval"));
  } else if (is("EvalFile")) {
    const char* file = OptionGetString("EvalFile");
    load_network_file(std::strcmp(file, "<empty>") == 0 ? "" : file);
  }
  for (const ClampedOption& o : clamped_options)
    if (is(o.name)) OptionUci.*o.field = clamp(OptionGetInt(o.name), o.lo, o.hi);
  for (const PieceValueOption& o : PieceValueOptions)
    if (is(o.name)) OptionUci.*o.field = clamp(OptionGetInt(o.name), o.lo, o.hi);
  const bool was_weakened = OptionUci.limit_strength;
  for (const FlagOption& o : flag_options)
    if (is(o.name)) OptionUci.*o.field = OptionGetBool(o.name);
  if (is("UCI_LimitStrength") || is("UCI_Elo")) weaken_or_restore(was_weakened);
}

}  // namespace

void uci_setoption(char* line) {
  const char* name = std::strstr(line, "name ");
  char* value = std::strstr(line, "value ");
  if (!name || !value || value < name + 5) {
    if (name && !value && std::strcmp(name + 5, "ClearHash") == 0) {
      clearHash();
      eval_caches_outdated();
      log_printf("hash is cleared\n");
    }
  } else {
    const char* option_name = value == name + 5 ? "" : name + 5;
    value[-1] = '\0';
    if (OptionSet(option_name, value + 6)) apply_option(option_name);
  }
  // Weights and pruning margins may have changed: the next search sees them.
  pst_init();
  OptionUpdate();
  initSearch();
}
