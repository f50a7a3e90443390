#include "search/control.h"

#include "platform/platform.h"

SearchMoves SearchInput;
bool Searching = false;
int max_depth = 128;
int max_time = 14400000;
TimeControlKind ext_time_control_type = TC_NONE;

namespace {

void (*input_handler)() = nullptr;

}  // namespace

void set_input_handler(void (*handler)()) { input_handler = handler; }

void read_waiting_input() {
  while (!si.stop_requested && bioskey()) input_handler();
}
