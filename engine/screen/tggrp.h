#pragma once
// TTGGrp: the game screen. Seven bitmap layers stacked on the main window's
// image control (bottom to top: picture, message frame, message text,
// function-key bar, wait mark, up mark, down mark) and the 33 numbered
// picture buffers of the script. It places and centres the picture at the
// display scale, animates the wait mark of a key wait, draws the
// function-key bar and places the scroll marks of the message window.

#include <array>
#include <cstdint>
#include <memory>

#include "graphics/bitmap32.h"

class TBitmapLayer;
class TGraphic;
class TImage32;
class TPersistent;
class TScreenHost;
class TStream;

constexpr int PictureBufferCount = 33;

class TTGGrp {
public:
    // The main window passes GameImg and its own width and height.
    TTGGrp(TScreenHost& host, TImage32& image, int width, int height);
    // The seven layers leave the image.
    ~TTGGrp();
    TTGGrp(const TTGGrp&) = delete;
    TTGGrp& operator=(const TTGGrp&) = delete;

    TBitmap32& GetPicture();
    // nullptr when there is no text layer.
    TBitmap32* GetTextBitmap();

    // Image control and backdrop size.
    void SetScreenSize(int width, int height);
    // Picture size (*SCREEN, full screen); the screen grows to hold it.
    void SetPictureSize(int width, int height);
    void SetScale(float scale);
    // Centres the scaled picture on the screen and redraws the bar.
    void CenterPicture();
    // The function-key bar with `keyCount` keys; nothing with none.
    void DrawFuncBar(int keyCount);
    void PlaceWaitMark();
    void PlaceScrollMarks();
    // Both placements, then a full repaint.
    void UpdateLayout();
    void SetWaitAnim(bool on);
    // One engine tick of the wait animation.
    void UpdateWaitAnim();
    // After the wait frames changed: the mark takes the current frame (the
    // first when the current one is past the new count, nothing without
    // frames), so that frames of a new size are not squeezed into the old
    // mark's place; then it is placed anew.
    void ShowWaitFrame();

    // The picture from a Windows bitmap stream / from a graphic.
    void LoadPicture(TStream& stream);
    void AssignPicture(const TPersistent* graphic);
    // *GGET: buffer n becomes the w x h rectangle at (x, y) of the picture
    // (src -1) or of buffer src.
    void CopyToBuffer(int n, int x, int y, int w, int h, int src);
    // *GPUT: buffer n drawn at (x, y) on the picture (dst -1) or buffer dst.
    void DrawBuffer(int n, int x, int y, int dst);
    // Buffer n (0..32; the caller keeps the range).
    TBitmap32& GetBuffer(int n);
    bool GetBufferUsed(int n) const;
    void SetBufferUsed(int n, bool used);
    // 0 the function-key bar, 1 the up mark, 2 the down mark.
    TBitmapLayer* GetOverlay(int index) const;
    // Picture, wait mark and text all opaque black.
    void ClearScreen();

    TBitmapLayer* PictureLayer() const { return FPictureLayer; }
    TBitmapLayer* WindowLayer() const { return FWindowLayer; }
    TBitmapLayer* TextLayer() const { return FTextLayer; }
    TBitmapLayer* FuncBarLayer() const { return FFuncBarLayer; }
    TBitmapLayer* WaitLayer() const { return FWaitLayer; }
    TBitmapLayer* UpMarkLayer() const { return FUpMarkLayer; }
    TBitmapLayer* DownMarkLayer() const { return FDownMarkLayer; }
    int PictureWidth() const { return FPictureWidth; }
    int PictureHeight() const { return FPictureHeight; }
    int ScreenWidth() const { return FScreenWidth; }
    int ScreenHeight() const { return FScreenHeight; }
    bool WaitOn() const { return FWaitOn; }
    int WaitFrame() const { return FWaitFrame; }
    uint32_t WaitTick() const { return FWaitTick; }

    // Display scale; the main window reads it when it leaves full screen.
    float FScale = 1.0f;
    // Number of wait frames and ms per frame; *LOADWAIT sets them.
    int FWaitCount = 2;
    int FWaitInterval = 500;

private:
    // Buffer n, or the picture for -1; nullptr for any other number.
    TBitmap32* BufferOrPicture(int n);
    // The wait frames that exist: FWaitCount, but no more than the list has.
    int UsableWaitFrames();

    TScreenHost& FHost;
    int FWaitY = 0;
    int FWaitX = 0;
    int FPictureWidth = 0;
    int FPictureHeight = 0;
    int FScreenWidth = 0;
    int FScreenHeight = 0;
    TBitmapLayer* FPictureLayer = nullptr;
    TBitmapLayer* FWaitLayer = nullptr;
    TBitmapLayer* FTextLayer = nullptr;
    TBitmapLayer* FWindowLayer = nullptr;
    TBitmapLayer* FFuncBarLayer = nullptr;
    TBitmapLayer* FUpMarkLayer = nullptr;
    TBitmapLayer* FDownMarkLayer = nullptr;
    bool FWaitOn = false;
    uint32_t FWaitTick = 0;
    std::array<std::unique_ptr<TBitmap32>, PictureBufferCount> FBuffers;
    std::array<bool, PictureBufferCount> FBufferUsed{};
    TImage32& FImage;
    int FWaitFrame = 0;
};
