// score_writer FILE FIRST: rewrites a score file as fast as it can, forever,
// with records that change every time, counting from FIRST. The fault test
// kills it mid-write.
#include <cstdlib>

#include "records/score_file.h"

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    for (long n = std::atol(argv[2]);; ++n) {
        sw::WriteFileAtomically(argv[1], sw::ScoreText(n % 100000000, n % 1000));
    }
}
