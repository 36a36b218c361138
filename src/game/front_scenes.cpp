// The front-end scenes of the tick: logo, title, options and ready.
#include "game/form1.h"

namespace sw {

void Form1::SceneLogo() {
    // The logo is read again every tick; slot 0 gets the sheet back when
    // the logo hands over.
    gfx.PicLoad(kPicSheet, "logo.bmp", 0);
    gfx.BackDraw();
    gfx.PicDraw(kPicSheet, 0, 0, 0, 0, 480, 640);
    gfx.SurfFlip();

    if (IntFallCnt >= 200) {
        IntFallCnt = 0;
        IntScene = kSceneTitle;
        gfx.PicLoad(kPicSheet, "etc.bmp", kTrue);
        gfx.PicLoad(kPicTitle, "title.bmp", 0);
        gfx.PicLoad(kPicFrame, "bgmst.bmp", kTrue);
    } else {
        IntFallCnt = Int16(IntFallCnt + 1, "IntFallCnt");
    }
}

void Form1::SceneTitle() {
    gfx.BackDraw();
    gfx.PicDraw(kPicTitle, 0, 0, 0, 0, 480, 640);
    gfx.PicDraw(kPicSheet, 256, 0, 452, 303 + 41 * IntCursor, 32, 32);
    gfx.SurfFlip();
    IntFallCnt = 0;
}

void Form1::SceneOptions() {
    gfx.BackDraw();
    gfx.PicDraw(kPicPreview, 0, 0, 0, 0, 480, 640);
    gfx.PicDraw(kPicConf, 0, 0, 35, 0, 480, 605);
    gfx.PicDraw(kPicSheet, 256, 0, 32, 132 + 41 * IntCursor, 32, 32);

    // Level selector: the chosen level in digits, a small marker elsewhere.
    for (int i = 0; i <= 9; ++i) {
        const int x = 346 + 22 * i;
        if (i == LngLevel - 1) {
            if (LngLevel == 10) {
                gfx.PicDraw(kPicSheet, 19, 185, x, 125, 33, 19);
                gfx.PicDraw(kPicSheet, 0, 185, x + 19, 125, 33, 19);
            } else {
                gfx.PicDraw(kPicSheet, 19 * LngLevel, 185, x, 125, 33, 19);
            }
        } else {
            gfx.PicDraw(kPicSheet, 191, 191, x, 135, 11, 14);
        }
    }

    // Sevens-effect switch: the lit label comes from row 340 of the sheet.
    if (FlgSevenOff == 0) {
        gfx.PicDraw(kPicSheet, 0, 340, 344, 174, 28, 34);
        gfx.PicDraw(kPicSheet, 157, 368, 520, 174, 28, 49);
    } else {
        gfx.PicDraw(kPicSheet, 0, 368, 344, 174, 28, 34);
        gfx.PicDraw(kPicSheet, 157, 340, 520, 174, 28, 49);
    }
    gfx.PicDraw(kPicSheet, 80, 340, 444, 174, 31, 32);

    // Music track and play background, each between its two marks.
    const int16_t values[2] = {IntBgmNo, IntBgNo};
    for (int row = 0; row < 2; ++row) {
        const int dy = 41 * row;
        gfx.PicDraw(kPicSheet, 216, 189, 344, 217 + dy, 30, 28);
        const std::string text = Format(values[row], 2);
        for (int k = 0; k < 2; ++k) {
            gfx.PicDraw(kPicSheet, 19 * (text[k] - '0'), 185, 440 + 19 * k, 214 + dy, 33, 19);
        }
        gfx.PicDraw(kPicSheet, 247, 189, 549, 217 + dy, 30, 28);
    }

    // The records: only the first eight and three characters fit.
    DrawSmallDigits(Format(LngHiScore, 8).substr(0, 8), 344, 339);
    DrawSmallDigits(Format(LngMaxChain, 3).substr(0, 3), 344, 380);
    gfx.SurfFlip();
}

void Form1::SceneReady() {
    IntFallCnt = Int16(IntFallCnt + 1, "IntFallCnt");
    gfx.BackDraw();
    gfx.PicDraw(kPicFrame, 0, 0, 0, 0, 480, 640);
    if (IntFallCnt < 70) {
        gfx.PicDraw(kPicSheet, 0, 71, 227, 212, 60, 186);
    } else if (IntFallCnt < 140) {
        gfx.PicDraw(kPicSheet, 222, 71, 261, 212, 60, 118);
    }
    gfx.SurfFlip();
    if (IntFallCnt > 139) {
        IntScene = kSceneFall;
        IntFallCnt = 0;
    }
}

void Form1::DrawSmallDigits(const std::string& text, int x, int y) {
    for (size_t k = 0; k < text.size(); ++k) {
        gfx.PicDraw(kPicSheet, 19 * (text[k] - '0'), 185, x + 19 * static_cast<int>(k), y, 33, 19);
    }
}

}  // namespace sw
