// The three layers the game talks to. The game itself never includes SDL:
// the real layers live in present/ and platform/, and tests use doubles.
#pragma once

#include <cstdint>
#include <string>

namespace sw {

// Pictures: a back buffer, a backdrop and twenty picture slots.
class IGraphics {
  public:
    virtual ~IGraphics() = default;
    virtual void init() = 0;
    virtual void PicLoad(int16_t IntIdx, const std::string& PicPath, int16_t Touka) = 0;
    // Height before width: that is the order every caller has always used.
    virtual void PicDraw(int16_t IntIdx, double MotoX, double MotoY, double SakiX, double SakiY,
                         double High, double Width) = 0;
    virtual void BackLoad(const std::string& PicPath) = 0;
    virtual void BackDraw() = 0;
    virtual void SurfFlip() = 0;
    [[noreturn]] virtual void EndIt() = 0;
};

// Sounds: eleven slots, one voice each.
class ISound {
  public:
    virtual ~ISound() = default;
    virtual void SubWaveLoad(int16_t IntIdx, const std::string& StrFile) = 0;
    virtual void SubWavePlay(int16_t IntIdx, const std::string& StrOpt) = 0;
    virtual void SubWaveStop(int16_t IntIdx) = 0;
};

// Everything else the game needs from the machine it runs on.
class IPlatform {
  public:
    virtual ~IPlatform() = default;
    // The game's one random generator: reseeded from the clock at start-up,
    // then serving both the deals and the sevens draw.
    virtual void Randomize() = 0;
    virtual double Rnd() = 0;  // uniform in [0, 1)
    // The program's own folder, ending in a path separator.
    virtual std::string AppPath() = 0;
    // The folder of the player's records (score.ini): the program's own
    // unless that is not the player's to write.
    virtual std::string RecordsFolder() { return AppPath(); }
    // A modal box with an OK button; returns when it is dismissed.
    virtual void MsgBox(const std::string& text) = 0;
    // Ends the program at once. Never returns.
    [[noreturn]] virtual void End(int status) = 0;
    virtual void SetTimer1Interval(int16_t ms) = 0;
    virtual void ShowCursor(bool show) = 0;
    // Opens the sound device; without one the game plays on silent.
    virtual void OpenSoundDevice() = 0;
};

}  // namespace sw
