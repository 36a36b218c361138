// Writes 16-bit PCM samples as a WAV file: the one place that knows the
// 44-byte RIFF header. The synthesizer writes every sound of the game with
// it, and tests write their own small sounds with it.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace sw {

// pcm: interleaved samples, channels per frame. False when the file cannot
// be written.
inline bool WriteWav16(const std::string& path, const std::vector<int16_t>& pcm, int channels,
                       int rate) {
    std::ofstream out(path, std::ios::binary);
    // Little-endian fields whatever the machine.
    auto put = [&](uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) out.put(static_cast<char>((v >> (8 * i)) & 0xFF));
    };
    const auto ch = static_cast<uint32_t>(channels);
    const auto dataBytes = static_cast<uint32_t>(pcm.size() * 2);
    out.write("RIFF", 4);
    put(36 + dataBytes, 4);
    out.write("WAVEfmt ", 8);
    put(16, 4);                                    // size of the format block
    put(1, 2);                                     // plain PCM
    put(ch, 2);                                    // channels
    put(static_cast<uint32_t>(rate), 4);           // frames per second
    put(static_cast<uint32_t>(rate) * ch * 2, 4);  // bytes per second
    put(ch * 2, 2);                                // bytes per frame
    put(16, 2);                                    // bits per sample
    out.write("data", 4);
    put(dataBytes, 4);
    for (int16_t s : pcm) put(static_cast<uint16_t>(s), 2);
    return static_cast<bool>(out);
}

}  // namespace sw
