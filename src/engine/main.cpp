#include "engine/startup.h"

int main() {
  start_engine();
  return 0;
}
