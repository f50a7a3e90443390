#include "search/think.h"

int root_hply = 0;
int out_of_book = 0;
std::int64_t start_time = 0;
int gSelDepth = 0;
int ext_corvantis_side = 0;
