// score_writer FILE FIRST: rewrites a score file as fast as it can, forever,
// with records that change every time, counting from FIRST. The fault test
// kills it mid-write.
// score_writer FILE FIRST hi|chain COUNT: COUNT game overs one after the
// other, as a game keeps its records, raising only the one record named;
// fails (status 1) as soon as the file holds less of it than was kept.
#include <cstdlib>
#include <cstring>

#include "records/score_file.h"

int main(int argc, char** argv) {
    if (argc != 3 && argc != 5) return 2;
    const long first = std::atol(argv[2]);
    if (argc == 5) {
        const bool hi = std::strcmp(argv[3], "hi") == 0;
        for (long n = first, last = 0; n < first + std::atol(argv[4]); last = n++) {
            const sw::ScoreVerdict v = sw::ReadScoreFile(argv[1]);
            if (!v.Valid() || (hi ? v.hi : v.chain) < last) return 1;
            sw::KeepBestRecords(argv[1], hi ? sw::Records{n, 0} : sw::Records{0, n});
        }
        return 0;
    }
    for (long n = first;; ++n) {
        sw::WriteFileAtomically(argv[1], sw::ScoreText(n % 100000000, n % 1000));
    }
}
