// Fuzzes the score file's reading: any bytes give either a checked record
// that writes back to the same lines, or a refusal, or too few lines; never
// a crash, a hang or a record the check should have refused.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "records/module1.h"
#include "records/score_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const sw::ScoreVerdict v = sw::CheckScoreText(text);
    if (v.hiOk && (v.hi < 0 || v.hi > 99999999)) std::abort();
    if (v.chainOk && (v.chain < 0 || v.chain > 99999999)) std::abort();
    if (v.Valid()) {
        // A valid file's records survive a write and a read unchanged.
        const sw::ScoreVerdict again = sw::CheckScoreText(sw::ScoreText(v.hi, v.chain));
        if (!again.Valid() || again.hi != v.hi || again.chain != v.chain) std::abort();
        // And each accepted field starts with exactly what the game writes.
        const auto fields = sw::ScoreFields(text, 2);
        for (int i = 0; i < 2; ++i) {
            if (fields[i].substr(0, 9) != sw::FncCodeAdd(fields[i].substr(0, 8))) std::abort();
        }
    }
    return 0;
}
