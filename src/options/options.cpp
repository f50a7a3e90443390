#include "options/options.h"

#include <cctype>
#include <climits>
#include <cstdlib>

// Table order is the order of the "uci" answer.
OptionRow Option[] = {
    {"Hash", true, "128", "spin", "min 8 max 2048", {}},
    {"EvalHash", true, "32", "spin", "min 4 max 32", {}},
    {"PawnHash", true, "4", "spin", "min 2 max 8", {}},
    {"UCI_LimitStrength", true, "false", "check", "", {}},
    {"UCI_Elo", true, "2800", "spin", "min 1000 max 2800", {}},
    {"Log", true, "false", "check", "", {}},
    {"Ponder", true, "true", "check", "", {}},
    {"OwnBook", true, "false", "check", "", {}},
    {"BookFilename", true, "corvantis.bin", "string", "", {}},
    {"BookMoveSelect", true, "BestWeight", "combo", "var BestWeight var BestScore var Random", {}},
    {"PawnValueOp", true, "94", "spin", "min 70 max 110", {}},
    {"PawnValueEn", true, "92", "spin", "min 90 max 150", {}},
    {"KnightValueOp", true, "325", "spin", "min 200 max 500", {}},
    {"KnightValueEn", true, "315", "spin", "min 200 max 500", {}},
    {"BishopValueOp", true, "350", "spin", "min 200 max 500", {}},
    {"BishopValueEn", true, "350", "spin", "min 200 max 500", {}},
    {"RookValueOp", true, "493", "spin", "min 300 max 800", {}},
    {"RookValueEn", true, "525", "spin", "min 300 max 800", {}},
    {"QueenValueOp", true, "985", "spin", "min 500 max 1500", {}},
    {"QueenValueEn", true, "1022", "spin", "min 500 max 1500", {}},
    {"DoubledPawnPenalty", false, "10", "spin", "min 0 max 100", {}},
    {"KingShelterWeight", true, "100", "spin", "min 0 max 100000", {}},
    {"PawnStormWeight", true, "100", "spin", "min 0 max 100000", {}},
    {"KingAttackWeight", true, "100", "spin", "min 0 max 100000", {}},
    {"MobilityWeight", true, "100", "spin", "min 0 max 100000", {}},
    {"PassedPawnWeightOp", true, "100", "spin", "min 0 max 100000", {}},
    {"PassedPawnWeightEn", true, "100", "spin", "min 0 max 100000", {}},
    {"WeakSquareWeight", true, "100", "spin", "min 0 max 100000", {}},
    {"RookInOpenFileOp", true, "32", "spin", "min 0 max 100", {}},
    {"RookInOpenFileEn", true, "16", "spin", "min 0 max 100", {}},
    {"RazorMargin1", false, "220", "spin", "min 150 max 500", {}},
    {"RazorMargin2", false, "235", "spin", "min 150 max 500", {}},
    {"RazorMargin3", false, "250", "spin", "min 150 max 500", {}},
    {"FutilityMargin", false, "60", "spin", "min 25 max 500", {}},
    {"NullMove", true, "true", "check", "", {}},
    {"RepetitionScore", true, "0", "spin", "min -29800 max 29800", {}},
    {"InsufficientMaterialScore", true, "0", "spin", "min -29800 max 29800", {}},
    {"FiftyMoveScore", true, "0", "spin", "min -29800 max 29800", {}},
    {"StaleMateScore", true, "0", "spin", "min -29800 max 29800", {}},
    {"TimeBufferMilliSec", true, "60", "spin", "min 0 max 1000", {}},
    {"MultiPV", true, "1", "spin", "min 1 max 300", {}},
    {"UCI_AnalyseMode", true, "false", "check", "", {}},
    {"ClearHash", true, "true", "button", nullptr, {}},
    {"Threads", true, "1", "spin", "min 1 max 256", {}},
    {"UCI_Chess960", true, "false", "check", "", {}},
    {"UCI_ShowWDL", true, "false", "check", "", {}},
    {"UseLearnedEval", true, "false", "check", "", {}},
    {"EvalFile", true, "<empty>", "string", "", {}},
    {nullptr, false, nullptr, nullptr, nullptr, {}},
};

OptionValues OptionUci;

const PieceValueOption PieceValueOptions[8] = {
    {"QueenValueOp", &OptionValues::queen_value_op, 500, 1500},
    {"QueenValueEn", &OptionValues::queen_value_en, 500, 1500},
    {"RookValueOp", &OptionValues::rook_value_op, 300, 800},
    {"RookValueEn", &OptionValues::rook_value_en, 300, 800},
    {"BishopValueOp", &OptionValues::bishop_value_op, 200, 500},
    {"BishopValueEn", &OptionValues::bishop_value_en, 200, 500},
    {"KnightValueOp", &OptionValues::knight_value_op, 200, 500},
    {"KnightValueEn", &OptionValues::knight_value_en, 200, 500},
};

bool my_StringIsEqual(const char* a, const char* b) {
  for (; *a && *b; ++a, ++b)
    if (std::tolower(static_cast<unsigned char>(*a)) != std::tolower(static_cast<unsigned char>(*b))) return false;
  return *a == *b;
}

void OptionStart() {
  for (OptionRow* row = Option; row->name; ++row) row->value = row->init;
}

OptionRow* OptionFind(const char* name) {
  for (OptionRow* row = Option; row->name; ++row)
    if (my_StringIsEqual(row->name, name)) return row;
  return nullptr;
}

bool OptionSet(const char* name, const char* text) {
  OptionRow* row = OptionFind(name);
  if (!row) return false;
  row->value = text;
  return true;
}

const char* OptionGetString(const char* name) { return OptionFind(name)->value.c_str(); }

int text_to_int(const char* text) {
  const long long v = std::strtoll(text, nullptr, 10);
  return v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : static_cast<int>(v);
}

int OptionGetInt(const char* name) { return text_to_int(OptionGetString(name)); }

bool OptionGetBool(const char* name) {
  const char* v = OptionGetString(name);
  return my_StringIsEqual(v, "true") || my_StringIsEqual(v, "yes") || my_StringIsEqual(v, "1");
}
