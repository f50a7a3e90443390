#include "engine/uci.h"

#include <cstdarg>
#include <cstdlib>
#include <cstring>

#include "board/fen.h"
#include "board/position.h"
#include "engine/commands.h"
#include "engine/diagnostics.h"
#include "engine/startup.h"
#include "eval/eval.h"
#include "movegen/movestack.h"
#include "options/options.h"
#include "output/output.h"
#include "platform/platform.h"
#include "search/search_tables.h"
#include "search/strength.h"
#include "search/think.h"
#include "search/threads.h"
#include "search/tt.h"

namespace {

// The declarations the answer to "uci" lists, in table order.
void OptionList() {
  for (const OptionRow* row = Option; row->name; ++row) {
    if (!row->declare) continue;
    if (row->var && *row->var)
      SendInfo("option name %s type %s default %s %s", row->name, row->type, row->value.c_str(), row->var);
    else if (!my_StringIsEqual(row->type, "button"))
      SendInfo("option name %s type %s default %s", row->name, row->type, row->value.c_str());
    else SendInfo("option name %s type %s", row->name, row->type);
  }
}

constexpr int LINE_SIZE = 65536;

bool starts_with(const char* s, const char* prefix) { return std::strncmp(s, prefix, std::strlen(prefix)) == 0; }

// Commands that change the position, the options or the tables wait until
// the search has finished; while it runs they are ignored. False for a
// line that is no command.
bool execute(char* line) {
  if (starts_with(line, "debug ")) {
    log_printf(">> %s\n", line);
  } else if (starts_with(line, "perft ")) {
    if (Searching) return true;
    gDoPerft = true;
    start_perft(text_to_int(line + 6));
    gDoPerft = false;
  } else if (starts_with(line, "go ")) {
    log_printf(">> %s\n", line);
    if (!Searching) uci_go(line);
  } else if (std::strcmp(line, "isready") == 0) {
    SendInfo("readyok");
    log_printf(">> %s\n", line);
    log_printf("<< readyok\n");
    if (OptionUci.limit_strength) si.nodes = strength_node_budget(OptionUci.elo);
  } else if (std::strcmp(line, "ponderhit") == 0) {
    log_printf(">> %s\n", line);
    si.ponder = false;
    if (Searching && get_ms() - start_time >= si.ponder_time) si.stop_requested = true;
  } else if (starts_with(line, "position ")) {
    log_printf(">> %s\n", line);
    if (!Searching) uci_position(line);
  } else if (starts_with(line, "version")) {
    SendInfo("info string %s", ENG_NAME_VER);
  } else if (std::strcmp(line, "quit") == 0) {
    log_printf(">> %s\n", line);
    set_thread_count(1);  // the helpers stop before the table they use goes
    free_tt();
    log_close("Closing log file %s\n");
    std::exit(0);
  } else if (starts_with(line, "setoption ")) {
    log_printf(">> %s\n", line);
    if (!Searching) uci_setoption(line);
  } else if (std::strcmp(line, "stop") == 0) {
    log_printf(">> %s\n", line);
    si.stop_requested = true;
  } else if (std::strcmp(line, "uci") == 0) {
    log_printf(">> %s\n", line);
    SendInfo("id name %s", ENG_NAME_VER);
    SendInfo("id author Quillmark");
    OptionList();
    out_of_book = 0;
    SendInfo("uciok");
  } else if (std::strcmp(line, "ucinewgame") == 0) {
    log_printf(">> %s\n", line);
    if (Searching) return true;
    set_start_position();
    out_of_book = 0;
  } else if (std::strcmp(line, "eval") == 0) {
    SendInfo("evalscore cp %d", eval());
  } else if (std::strcmp(line, "fen") == 0) {
    print_my_fen();
  } else if (std::strcmp(line, "bench") == 0) {
    if (!Searching) bench();
  } else if (std::strcmp(line, "datagen") == 0 || starts_with(line, "datagen ")) {
    if (!Searching) datagen(line + 7);
  } else if (std::strcmp(line, "symtestpos") == 0) {
    if (!Searching) symtestpos();
  } else if (*line) {
    SendInfo("info string unknown command %s", line);
    return false;
  }
  return true;
}

}  // namespace

void GetString(char* buf, int size) {
  if (read_input_line(buf, size)) return;
  exit_engine(0);
}

void LoopCall() {
  // Not static: a line read while searching is executed on top of the "go" that started the search.
  char line[LINE_SIZE];
  GetString(line, LINE_SIZE);
  log_printf("string received: %s\n", line);
  // A line read during a "searchmoves" search must not lift its restriction.
  if (!Searching) SearchInput.count = 0;
  execute(line);
}

void Loop() {
  Searching = false;
  ResetSearch();
  for (;;) LoopCall();
}

int run_command_line(char* line) {
  Searching = false;
  ResetSearch();
  // The line is the whole dialogue: a search reads no input and ends by its limits.
  si.poll_input = false;
  const bool known = execute(line);
  set_thread_count(1);
  free_tt();
  return known ? 0 : 1;
}
