// score_writer FILE: rewrites a score file as fast as it can, forever, with
// records that change every time. The fault test kills it mid-write.
#include <cstdio>

#include "records/score_file.h"

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    for (long n = 1;; ++n) sw::WriteFileAtomically(argv[1], sw::ScoreText(n % 100000000, n % 1000));
}
