// The game state record: every field the game keeps, with the widths it has
// always had (16-bit Int, 32-bit Lng, single-precision Sng, flags -1/0).
// Plain data, copyable, so tests and tools can compare and dump it.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "game/errors.h"

namespace sw {

// Well size and the screen geometry every part of the game agrees on.
constexpr int kCols = 7;
constexpr int kRows = 13;
constexpr int kCell = 32;
constexpr int kWellLeft = 208;
constexpr int kWellTop = 32;
constexpr int kScreenW = 640;
constexpr int kScreenH = 480;

// Flags hold -1 for true and 0 for false (the sevens switch is the odd one
// out and holds 1/0).
constexpr int16_t kTrue = -1;
constexpr int16_t kFalse = 0;

// Scene codes.
constexpr int16_t kSceneFall = 0;
constexpr int16_t kSceneSearch = 1;
constexpr int16_t kSceneBlink0 = 2;
constexpr int16_t kSceneBlink1 = 3;
constexpr int16_t kSceneGameOver = 4;
constexpr int16_t kSceneOptions = 96;
constexpr int16_t kSceneReady = 97;
constexpr int16_t kSceneTitle = 98;
constexpr int16_t kSceneLogo = 99;

// The choices of the options screen: the tunes bgm01.wav on and the play
// backgrounds bg001.bmp on (assets/CMakeLists.txt builds them).
constexpr int16_t kTunes = 3;
constexpr int16_t kBackgrounds = 5;

// Picture slots and sound slots.
constexpr int kPicSlots = 20;
constexpr int kWaveSlots = 11;
constexpr int16_t kPicSheet = 0;
constexpr int16_t kPicTitle = 1;
constexpr int16_t kPicFrame = 2;
constexpr int16_t kPicConf = 3;
constexpr int16_t kPicPreview = 4;
constexpr int16_t kWaveEnter = 0;
constexpr int16_t kWaveSelect = 1;
constexpr int16_t kWaveOn = 2;
constexpr int16_t kWaveDel = 3;
constexpr int16_t kWaveChange = 4;
constexpr int16_t kWaveLvUp = 5;
constexpr int16_t kWaveGameOver = 6;
constexpr int16_t kWaveBgm = 7;

// A 7 x 13 grid of one-character texts addressed (column, row). Reading or
// writing outside the well is a run-time error, never a stray write.
struct Grid {
    std::array<std::string, kCols * kRows> cells{};

    std::string& operator()(int x, int y) { return cells[Index(x, y)]; }
    const std::string& operator()(int x, int y) const { return cells[Index(x, y)]; }
    bool operator==(const Grid&) const = default;

    static size_t Index(int x, int y) {
        if (x < 0 || x >= kCols || y < 0 || y >= kRows) {
            throw RunTimeError("index out of range: well cell (" + std::to_string(x) + ", " +
                               std::to_string(y) + ")");
        }
        return static_cast<size_t>(y * kCols + x);
    }
};

// A fixed table whose index is checked, for the pair arrays and the level
// thresholds.
template <typename T, size_t N>
struct Table {
    std::array<T, N> v{};
    T& operator()(int i) { return v[Check(i)]; }
    const T& operator()(int i) const { return v[Check(i)]; }
    bool operator==(const Table&) const = default;
    static size_t Check(int i) {
        if (i < 0 || static_cast<size_t>(i) >= N) {
            throw RunTimeError("index out of range: " + std::to_string(i) + " not in 0 to " +
                               std::to_string(N - 1));
        }
        return static_cast<size_t>(i);
    }
};

struct GameState {
    // Scene control.
    int16_t IntScene = 0;
    int16_t IntFallCnt = 0;
    int16_t IntCursor = 0;
    int16_t IntAniCnt = 0;
    int16_t IntInterval = 0;

    // The well and the falling pair.
    Grid StrBlock;
    Grid StrDelFlg;
    Table<int16_t, 2> IntPairX;
    Table<int16_t, 2> IntPairY;
    Table<int16_t, 2> IntPairNo;
    int16_t FlgPair = 0;

    // Score, level and time. VarLvUp keeps its hundred entries; only 1 to
    // 10 are ever filled or read (0 stands for an empty entry).
    int32_t LngLevel = 0;
    Table<int32_t, 100> VarLvUp;
    int32_t LngScore = 0;
    int32_t LngHiScore = 0;
    int32_t LngMaxChain = 0;
    int32_t LngChain = 0;
    int16_t IntChainShow = 0;
    int16_t IntChainTime = 0;
    int16_t IntVeskTime = 0;
    int16_t IntVeskNo = 0;
    float SngTime = 0.0f;

    // Options.
    int16_t IntBgNo = 0;
    int16_t IntBgmNo = 0;
    int16_t FlgSevenOff = 0;

    bool operator==(const GameState&) const = default;
};

}  // namespace sw
