#include "engine/startup.h"
#include "engine/uci.h"

int main() {
  init_engine();
  Loop();
}
