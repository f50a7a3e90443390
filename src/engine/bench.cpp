// "bench": a fixed-depth search of 30 positions, reporting time and speed.
#include "board/position.h"
#include "engine/diagnostics.h"
#include "engine/startup.h"
#include "engine/uci.h"
#include "output/output.h"
#include "platform/platform.h"
#include "search/think.h"
#include "search/threads.h"

namespace {

const char* const BTestPosition[30] = {
    "1k2r2r/1bq2p2/pn4p1/3pP3/pbpN1P1p/4QN1B/1P4PP/2RR3K b - - 0 1",
    "1r1rq1k1/1p4p1/pNb1pp1p/1pP5/3P4/1PQ5/5PPP/R3R1K1 w - - 0 1",
    "3rbk2/4pp1p/6p1/3PP3/p1PnN1P1/Nn5P/5PBK/1R6 w - - 0 1",
    "4r2k/1pp1n1pp/pb3r2/6Nq/P2P4/2PQ2P1/1R3RKP/2B5 w - - 0 1",
    "1rbr2k1/p1q2p1p/2n1p1p1/1p4Q1/2pPP3/2P3P1/P1B1N1PP/2R2RK1 b - - 0 1",
    "6k1/2rqbrpp/2n2n2/pBpppN2/Pp4P1/2PP3P/1P2QP2/R1B1R1K1 w - - 0 1",
    "1r1r1bk1/1bq2p1p/pn2p1p1/2p1P3/5P2/P1NBB3/1P3QPP/R2R2K1 b - - 0 1",
    "1r1qk1nr/p3ppbp/3p2p1/1pp5/2bPP3/4B1P1/2PQNPBP/R2R2K1 w k - 0 1",
    "8/7p/p2p1kqP/2r1b3/P1B1p1r1/1P6/4QP2/3R1K1R b - - 0 1",
    "8/1p6/8/P7/7p/1P2p2P/4P1k1/4K3 w - - 0 1",
    "8/r2p4/3K4/2R5/P7/8/kP6/8 w - - 0 1",
    "N7/4P3/8/2k5/b7/8/7r/K1B1N3 w - - 0 1",
    "n1bq3r/kp1p1K1p/1p1P3p/1P5P/3R3P/3P4/5B2/2Q5 w - - 0 1",
    "3qrrk1/1pp2pp1/1p2bn1p/5N2/2P5/P1P3B1/1P4PP/2Q1RRK1 w - - 0 1",
    "3q1r1k/1b3ppp/p1n5/1p1pPB2/2rP4/P6N/1P2Q1PP/R4RK1 w - - 0 1",
    "r4q1k/p2bR1rp/2p2Q1N/5p2/5p2/2P5/PP3PPP/R5K1 w - - 0 1",
    "r3kb1r/npqbpp1p/p3n1p1/P3P3/6N1/3B1NB1/2P3PP/R3QRK1 w kq - 0 1",
    "r4rk1/2qn1p2/p2p1bpQ/8/1p1p4/3P1NN1/PP4PP/4RRK1 w - - 0 1",
    "6rk/1pp2Qrp/3p1B2/1pb1p2R/3n1q2/3P4/PPP3PP/R6K w - - 0 1",
    "r1b1r1k1/pp4bp/5np1/2qPB3/8/6NP/PPP1Q1B1/R4R1K w - - 0 1",
    "2rq1rk1/5ppp/2b1pb2/np6/6N1/2NBB3/PP3PPP/R2Q2K1 w - - 0 1",
    "r3kb1r/pp1b1pp1/4p3/2q3Qp/5B2/2PB4/P4PPP/R3R1K1 w - - 0 1",
    "4n1q1/1k1b4/2p4R/2Pp4/1p1N1rpQ/3B4/PPP2P2/2K5 w - - 0 1",
    "1r1q1k1r/Q4ppp/2B2n2/8/Pbbp4/1P4P1/2PP1P1P/R1B1K2R b - - 0 1",
    "2r1k2r/3b1pb1/p2ppp2/2q2P2/2p1P2p/P1N2N2/1PP1Q1PP/3R1R1K w - - 0 1",
    "5r2/4prkp/3q2p1/2pP1n2/N1Q2R2/1P4PP/P5K1/4R3 b - - 0 1",
    "1q6/2rk1p2/p1n1b1rN/3p2p1/8/3Q4/PP1B1PPP/2R1R1K1 w - - 0 1",
    "8/2b2k1p/2N2pp1/P2p4/3KnP2/6BP/P5P1/8 w - - 0 1",
    "r1b2rk1/1p3pp1/p5Pp/2bpPp1Q/3N4/1Pq1B1R1/2P4P/3R2K1 w - - 0 1",
    "1nr2qk1/pb1r1p1p/1b4pP/1p1Bp1B1/4P1Q1/2NR4/P1R2PP1/6K1 w - - 0 1",
};

}  // namespace

void bench() {
  double total_ms = 0, total_nodes = 0;
  fixed_key_draws(true);
  for (const char* position : BTestPosition) {
    init_board(position);
    si.fixed_time = true;
    max_time = si.time_available = 300000;
    max_depth = 11;
    si.bench = true;
    si.poll_input = false;
    think(0);
    total_nodes += static_cast<double>(searched_nodes());
    total_ms += static_cast<double>(get_ms() - start_time);
  }
  // A machine fast enough to need no time at all still gets a finite speed.
  const double seconds = (total_ms > 0 ? total_ms : 1) / 1000.0;
  SendInfo("t_time_ms = %0.0f, t_nodes = %0.0f, ave_nps = %0.0f\n", total_ms, total_nodes, total_nodes / seconds);
  fixed_key_draws(false);
  set_start_position();
  si.bench = false;
  max_time = 14400000;
  max_depth = 128;
  si.poll_input = true;
}
