// A small synthesizer that turns a text score into a 16-bit stereo WAV.
// Every sound and tune of the game is written as such a score under
// assets/sound/. The output depends only on the score, so builds repeat.
//
// Score lines (a word starting with # begins a comment):
//   tempo 96                       beats per minute
//   beats 80                       loop length in beats (music); omit for
//                                  a one-shot effect, which ends with its
//                                  last note
//   peak -6                        the file's loudest sample in dB below
//                                  full scale (default -1)
//   voice NAME wave=W vol=V attack=S decay=S sustain=L release=S pan=P
//         lowpass=HZ echo=G vibrato=DEPTH gate=F detune=CENTS
//                                  W: sine, triangle, square, saw, noise,
//                                  kick, snare, hat, openhat
//   part NAME START [xN] : TOKENS  notes of voice NAME from beat START,
//                                  the token list repeated N times
// A token is PITCH/BEATS: C4/1, F#3/0.5, Bb2/2, a chord C4+E4+G4/2, a
// rest r/1, or a drum hit x/0.5. Bars may be marked with | for reading.
//
// Music loops without a seam: notes that ring past the loop's end are
// folded back onto its start, so the last sample runs into the first.
//
// The mixer adds the effects onto the music with no volume control, so
// the peaks are set per file: an effect's peak plus the music's peak must
// stay below full scale.
//
// Usage: synth score.txt out.wav
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "wav_write.h"

namespace {

constexpr int kRate = 44100;
constexpr double kPi = 3.14159265358979323846;

struct Voice {
    std::string wave = "sine";
    double vol = 0.3, attack = 0.005, decay = 0.1, sustain = 0.7, release = 0.1, pan = 0;
    double lowpass = 0, echo = 0, vibrato = 0, gate = 0.9, detune = 0;
};

struct Note {
    std::string voice;
    double start = 0, beats = 0;  // in beats
    std::vector<double> freqs;    // empty for a drum hit
};

[[noreturn]] void Fail(const std::string& file, int line, const std::string& what) {
    std::cerr << file << ":" << line << ": " << what << "\n";
    std::exit(1);
}

double Pitch(const std::string& name, bool& ok) {
    static const std::map<char, int> steps{{'C', 0}, {'D', 2}, {'E', 4}, {'F', 5},
                                           {'G', 7}, {'A', 9}, {'B', 11}};
    ok = false;
    if (name.size() < 2 || !steps.count(name[0])) return 0;
    int semis = steps.at(name[0]);
    size_t i = 1;
    if (name[i] == '#')
        semis++, i++;
    else if (name[i] == 'b')
        semis--, i++;
    if (i >= name.size()) return 0;
    const int octave = std::atoi(name.c_str() + i);
    ok = true;
    const int midi = 12 * (octave + 1) + semis;
    return 440.0 * std::pow(2.0, (midi - 69) / 12.0);
}

// A tiny deterministic noise source.
struct Noise {
    uint32_t s = 0x12345678u;
    double Next() {
        s ^= s << 13;
        s ^= s >> 17;
        s ^= s << 5;
        return (s / 4294967295.0) * 2 - 1;
    }
};

double Envelope(const Voice& v, double t, double held) {
    double level;
    if (t < v.attack)
        level = t / v.attack;
    else if (t < v.attack + v.decay)
        level = 1 - (1 - v.sustain) * (t - v.attack) / v.decay;
    else
        level = v.sustain;
    if (t > held) {
        const double r = (t - held) / v.release;
        // Level at release time, fading out linearly.
        double at = held < v.attack             ? held / v.attack
                    : held < v.attack + v.decay ? 1 - (1 - v.sustain) * (held - v.attack) / v.decay
                                                : v.sustain;
        level = r >= 1 ? 0 : at * (1 - r);
    }
    return level;
}

// Renders one note of a voice into a mono buffer starting at sample 0.
std::vector<double> RenderNote(const Voice& v, const Note& n, double secPerBeat, Noise& noise) {
    const double held = n.beats * secPerBeat * v.gate;
    const bool drum =
        v.wave == "kick" || v.wave == "snare" || v.wave == "hat" || v.wave == "openhat";
    const double len = drum ? std::max(held, 0.05) + v.release : held + v.release;
    const size_t count = static_cast<size_t>(len * kRate) + 1;
    std::vector<double> out(count, 0.0);
    // With detune each pitch sounds twice, the copies a few cents apart.
    std::vector<double> freqs;
    for (double f : n.freqs) {
        freqs.push_back(f);
        if (v.detune != 0) freqs.push_back(f * std::pow(2.0, v.detune / 1200));
    }
    std::vector<double> phase(std::max<size_t>(freqs.size(), 1), 0.0);
    for (size_t k = 1; k < phase.size(); k += 2) phase[k] = 0.31;  // copies start apart
    double lp = 0, hp = 0, prev = 0, prev2 = 0;
    const double alpha = v.lowpass > 0 ? 1 - std::exp(-2 * kPi * v.lowpass / kRate) : 1;
    for (size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / kRate;
        double s = 0;
        if (v.wave == "kick") {
            const double f = 45 + 110 * std::exp(-t * 30);
            phase[0] += f / kRate;
            s = std::sin(2 * kPi * phase[0]) * std::exp(-t * 9);
        } else if (v.wave == "snare") {
            phase[0] += 190.0 / kRate;
            s = (0.6 * noise.Next() + 0.4 * std::sin(2 * kPi * phase[0])) * std::exp(-t * 18);
        } else if (v.wave == "hat") {
            const double x = noise.Next();
            hp = x - prev;  // crude high-pass: keep the hiss
            prev = x;
            s = hp * 0.6 * std::exp(-t * 45);
        } else if (v.wave == "openhat") {
            // Second difference: a brighter hiss that rings longer.
            const double x = noise.Next();
            s = (x - 2 * prev + prev2) * 0.35 * std::exp(-t * 14);
            prev2 = prev;
            prev = x;
        } else {
            const double vib = 1 + v.vibrato * std::sin(2 * kPi * 5.2 * t) * std::min(1.0, t * 3);
            for (size_t k = 0; k < freqs.size(); ++k) {
                phase[k] += freqs[k] * vib / kRate;
                const double p = phase[k] - std::floor(phase[k]);
                double w;
                if (v.wave == "sine")
                    w = std::sin(2 * kPi * p);
                else if (v.wave == "triangle")
                    w = 4 * std::fabs(p - 0.5) - 1;
                else if (v.wave == "square")
                    w = p < 0.5 ? 0.7 : -0.7;
                else if (v.wave == "saw")
                    w = (2 * p - 1) * 0.7;
                else
                    w = noise.Next() * 0.5;
                s += w;
            }
            if (!freqs.empty()) s /= std::sqrt(static_cast<double>(freqs.size()));
            s *= Envelope(v, t, held);
        }
        lp += alpha * (s - lp);
        out[i] = lp * v.vol;
    }
    // Never end on a step: the last few milliseconds fade to silence.
    const size_t fade = std::min<size_t>(count, kRate / 200);
    for (size_t i = 0; i < fade; ++i) out[count - 1 - i] *= static_cast<double>(i) / fade;
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: synth score.txt out.wav\n";
        return 2;
    }
    const std::string file = argv[1];
    std::ifstream in(file);
    if (!in) {
        std::cerr << "synth: cannot open " << file << "\n";
        return 1;
    }

    double tempo = 120, loopBeats = 0, peakDb = -1;
    std::map<std::string, Voice> voices;
    std::vector<std::string> order;
    std::vector<Note> notes;
    std::string line;
    int lineNo = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        // A comment starts with # at the start of a word (C#4 is a pitch).
        for (size_t i = 0; i < line.size(); ++i) {
            if (line[i] == '#' && (i == 0 || line[i - 1] == ' ' || line[i - 1] == '\t')) {
                line.erase(i);
                break;
            }
        }
        std::istringstream ls(line);
        std::string word;
        if (!(ls >> word)) continue;
        if (word == "tempo") {
            ls >> tempo;
        } else if (word == "beats") {
            ls >> loopBeats;
        } else if (word == "peak") {
            if (!(ls >> peakDb) || peakDb > 0 || peakDb < -40)
                Fail(file, lineNo, "peak wants dB from -40 to 0");
        } else if (word == "voice") {
            std::string name, kv;
            ls >> name;
            Voice v;
            while (ls >> kv) {
                const auto eq = kv.find('=');
                if (eq == std::string::npos) Fail(file, lineNo, "expected key=value: " + kv);
                const std::string key = kv.substr(0, eq), val = kv.substr(eq + 1);
                if (key == "wave")
                    v.wave = val;
                else {
                    const double d = std::atof(val.c_str());
                    if (key == "vol")
                        v.vol = d;
                    else if (key == "attack")
                        v.attack = std::max(d, 0.001);
                    else if (key == "decay")
                        v.decay = std::max(d, 0.001);
                    else if (key == "sustain")
                        v.sustain = d;
                    else if (key == "release")
                        v.release = std::max(d, 0.002);
                    else if (key == "pan")
                        v.pan = d;
                    else if (key == "lowpass")
                        v.lowpass = d;
                    else if (key == "echo")
                        v.echo = d;
                    else if (key == "vibrato")
                        v.vibrato = d;
                    else if (key == "gate")
                        v.gate = d;
                    else if (key == "detune")
                        v.detune = d;
                    else
                        Fail(file, lineNo, "unknown voice setting " + key);
                }
            }
            voices[name] = v;
            order.push_back(name);
        } else if (word == "part") {
            std::string name, tok;
            double start = 0;
            int repeat = 1;
            ls >> name >> start;
            if (!voices.count(name)) Fail(file, lineNo, "unknown voice " + name);
            std::vector<std::string> tokens;
            bool body = false;
            while (ls >> tok) {
                if (!body) {
                    if (tok == ":")
                        body = true;
                    else if (tok[0] == 'x')
                        repeat = std::atoi(tok.c_str() + 1);
                    else
                        Fail(file, lineNo, "expected : before the notes");
                } else if (tok != "|") {
                    tokens.push_back(tok);
                }
            }
            double at = start;
            for (int r = 0; r < repeat; ++r) {
                for (const std::string& t : tokens) {
                    const auto slash = t.find('/');
                    if (slash == std::string::npos)
                        Fail(file, lineNo, "token without /beats: " + t);
                    const double beats = std::atof(t.c_str() + slash + 1);
                    const std::string pitch = t.substr(0, slash);
                    if (pitch != "r") {
                        Note n{name, at, beats, {}};
                        if (pitch != "x") {
                            std::stringstream ps(pitch);
                            std::string one;
                            while (std::getline(ps, one, '+')) {
                                bool ok = false;
                                n.freqs.push_back(Pitch(one, ok));
                                if (!ok) Fail(file, lineNo, "bad pitch " + one);
                            }
                        }
                        notes.push_back(n);
                    }
                    at += beats;
                }
            }
        } else {
            Fail(file, lineNo, "unknown line " + word);
        }
    }
    if (notes.empty()) Fail(file, lineNo, "no notes");

    const double secPerBeat = 60.0 / tempo;
    const bool loop = loopBeats > 0;
    size_t total;
    if (loop) {
        total = static_cast<size_t>(std::llround(loopBeats * secPerBeat * kRate));
    } else {
        double end = 0;
        for (const Note& n : notes) {
            const Voice& v = voices[n.voice];
            end = std::max(end, (n.start + n.beats) * secPerBeat + v.release +
                                    (v.echo > 0 ? 4 * 0.375 * secPerBeat : 0));
        }
        total = static_cast<size_t>(end * kRate) + 1;
    }

    std::vector<double> left(total, 0.0), right(total, 0.0);
    Noise noise;
    for (const std::string& name : order) {
        const Voice& v = voices[name];
        std::vector<double> mono(total, 0.0);
        for (const Note& n : notes) {
            if (n.voice != name) continue;
            const std::vector<double> s = RenderNote(v, n, secPerBeat, noise);
            const size_t at = static_cast<size_t>(std::llround(n.start * secPerBeat * kRate));
            for (size_t i = 0; i < s.size(); ++i) {
                size_t j = at + i;
                if (loop)
                    j %= total;
                else if (j >= total)
                    break;
                mono[j] += s[i];
            }
        }
        if (v.echo > 0) {  // three-eighths of a beat, four fading repeats
            const size_t delay = static_cast<size_t>(0.375 * secPerBeat * kRate);
            std::vector<double> wet(total, 0.0);
            double g = 1;
            for (int k = 1; k <= 4; ++k) {
                g *= v.echo;
                for (size_t i = 0; i < total; ++i) {
                    size_t j = i + k * delay;
                    if (loop)
                        j %= total;
                    else if (j >= total)
                        break;
                    wet[j] += mono[i] * g;
                }
            }
            for (size_t i = 0; i < total; ++i) mono[i] += wet[i];
        }
        const double lg = std::sqrt(0.5 * (1 - v.pan)), rg = std::sqrt(0.5 * (1 + v.pan));
        for (size_t i = 0; i < total; ++i) {
            left[i] += mono[i] * lg;
            right[i] += mono[i] * rg;
        }
    }

    // Normalise to the score's peak level (rounding never passes it).
    double peak = 1e-9;
    for (size_t i = 0; i < total; ++i)
        peak = std::max({peak, std::fabs(left[i]), std::fabs(right[i])});
    const double gain = std::floor(32767.0 * std::pow(10.0, peakDb / 20)) / peak;

    std::vector<int16_t> pcm;
    pcm.reserve(total * 2);
    for (size_t i = 0; i < total; ++i) {
        pcm.push_back(static_cast<int16_t>(std::lrint(left[i] * gain)));
        pcm.push_back(static_cast<int16_t>(std::lrint(right[i] * gain)));
    }
    if (!sw::WriteWav16(argv[2], pcm, 2, kRate)) {
        std::cerr << "synth: cannot write " << argv[2] << "\n";
        return 1;
    }
    return 0;
}
