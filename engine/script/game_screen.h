#pragma once
// The game screen: the image the window shows (GameImg), the built-in
// pictures (Bitmap32List1) and the current wait frames (WaitGrpList), the
// screen layers (TTGGrp) and the message window drawn on them (TTGMsg).
// The layers and the message window exist once the window's command line
// does (TEngine::CreateScreenObjects).

#include <memory>

class TBitmap32List;
class TImage32;
class TTGGrp;
class TTGMsg;

class TGameScreen {
public:
    // The image with the built-in pictures loaded.
    TGameScreen();
    ~TGameScreen();
    TGameScreen(const TGameScreen&) = delete;
    TGameScreen& operator=(const TGameScreen&) = delete;

    // In this order: the message window draws on the screen layers, which
    // draw on the image, and each goes before what it draws on.
    std::unique_ptr<TImage32> FGameImg;
    std::unique_ptr<TBitmap32List> FBuiltInPictures;
    std::unique_ptr<TBitmap32List> FWaitFrames;
    std::unique_ptr<TTGGrp> FGrp;
    std::unique_ptr<TTGMsg> FMsg;
};
