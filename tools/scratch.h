// A scratch folder of one's own under the system's temporary folder, on
// every system (mkdtemp is POSIX only): a new name is tried until one is
// made that was not there.
#pragma once

#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>

namespace sw {

inline std::filesystem::path MakeScratchFolder(const std::string& prefix) {
    std::random_device seed;
    std::mt19937_64 pick(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        const auto dir = std::filesystem::temp_directory_path() / (prefix + std::to_string(pick()));
        if (std::filesystem::create_directory(dir)) return dir;
    }
    throw std::runtime_error("cannot make a scratch folder in " +
                             std::filesystem::temp_directory_path().string());
}

}  // namespace sw
