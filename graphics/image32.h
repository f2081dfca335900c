#pragma once
// The image control: a backdrop bitmap and a collection of layers composed
// into the back buffer by a list of paint stages, with scaling, alignment of
// the bitmap and mouse events that name the layer under the mouse. The game
// screen is one of these.

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "graphics/image32_paint_box.h"
#include "graphics/layers.h"

// Paint stage codes.
constexpr uint32_t PST_CUSTOM = 1;
constexpr uint32_t PST_CLEAR_BUFFER = 2;
constexpr uint32_t PST_CLEAR_BACKGND = 3;
constexpr uint32_t PST_DRAW_BITMAP = 4;
constexpr uint32_t PST_DRAW_LAYERS = 5;
constexpr uint32_t PST_CONTROL_FRAME = 6;
constexpr uint32_t PST_BITMAP_FRAME = 7;

struct TPaintStage {
    bool DsgnTime = false;
    bool RunTime = true;
    uint32_t Stage = 0;
    uint32_t Parameter = 0;
};

class TPaintStages {
public:
    // A new stage at the end; the reference holds until the list changes.
    TPaintStage& Add();
    TPaintStage& Insert(int32_t index);
    void Delete(int32_t index);
    void Clear() { FItems.clear(); }
    int32_t Count() const { return int32_t(FItems.size()); }
    bool Empty() const { return FItems.empty(); }
    // Raises EListError for an index outside 0..Count - 1.
    TPaintStage& Items(int32_t index);
    const TPaintStage& Items(int32_t index) const;

private:
    std::vector<TPaintStage> FItems;
};

enum TBitmapAlign { baTopLeft, baCenter, baTile, baCustom };

// How the bitmap is sized in the control: its own size, stretched over the
// control, times Scale, its own size with the control following it, fitted
// inside the control when larger (keeping its proportions), or fitted and
// then times Scale.
enum TScaleMode { smNormal, smStretch, smScale, smResize, smOptimal, smOptimalScaled };

using TImgMouseEvent = std::function<void(
    TObject* sender, TMouseButton button, TShiftState shift, int32_t x, int32_t y, TCustomLayer* layer)>;
using TImgMouseMoveEvent =
    std::function<void(TObject* sender, TShiftState shift, int32_t x, int32_t y, TCustomLayer* layer)>;
using TPaintStageEvent = std::function<void(TObject* sender, TBitmap32& buffer, uint32_t stageNum)>;

class TCustomImage32 : public TCustomPaintBox32 {
public:
    // Full repaint mode, scales 1.0, the default stages; the optimiser
    // follows the layers.
    TCustomImage32();
    // Frees the layers (top first, without notifications), then the bitmap.
    ~TCustomImage32() override;

    std::string ClassName() const override { return "TCustomImage32"; }

    // The backdrop. Its changes repaint the control.
    TBitmap32& Bitmap() { return *FBitmap; }
    // Assigns a copy.
    void SetBitmap(const TBitmap32& value);
    TLayerCollection& Layers() { return *FLayers; }

    TBitmapAlign BitmapAlign() const { return FBitmapAlign; }
    void SetBitmapAlign(TBitmapAlign value);
    // Both scales; values below 0.001 become 0.001.
    float Scale() const { return FScaleX; }
    void SetScale(float value);
    float ScaleX() const { return FScaleX; }
    void SetScaleX(float value);
    float ScaleY() const { return FScaleY; }
    void SetScaleY(float value);
    TScaleMode ScaleMode() const { return FScaleMode; }
    void SetScaleMode(TScaleMode value);
    // Where the bitmap lies under baCustom.
    float OffsetHorz() const { return FOffsetHorz; }
    void SetOffsetHorz(float value);
    float OffsetVert() const { return FOffsetVert; }
    void SetOffsetVert(float value);
    // The control takes the size of the scaled bitmap whenever it resizes.
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool value);

    TPaintStages& PaintStages() { return FPaintStages; }
    // Five stages: clear background, control frame (design), draw bitmap,
    // bitmap frame (design), draw visible layers; then OnInitStages.
    virtual void InitDefaultStages();

    // Buffer and cached geometry invalid, then the window's paint.
    void Invalidate() override;
    // Unless updating: Invalidate, then OnChange.
    virtual void Changed();
    virtual void BeginUpdate();
    virtual void EndUpdate();
    int32_t UpdateCount() const { return FUpdateCount; }

    // Where the bitmap lies in the control; (0, 0, 0, 0) when it is empty.
    virtual TRect GetBitmapRect();
    // The bitmap's size as the scale mode shows it.
    virtual TSize GetBitmapSize();
    // The bitmap rectangle as of the last cache update.
    TRect CachedBitmapRect();

    TNotifyEvent OnBitmapResize;
    TNotifyEvent OnChange;
    TNotifyEvent OnInitStages;
    TPaintStageEvent OnPaintStage;
    TImgMouseEvent OnMouseDown;
    TImgMouseMoveEvent OnMouseMove;
    TImgMouseEvent OnMouseUp;
    TNotifyEvent OnScaleChange;

protected:
    void DoPaintBuffer() override;
    void DoPaintGDIOverlay() override;
    bool HasGDIOverlay() const override;
    void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
    void MouseMove(TShiftState shift, int32_t x, int32_t y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
    void MouseLeave() override;
    void Resize() override;

    // The control follows the bitmap's size when auto-sizing.
    virtual void UpdateBitmapSize();
    virtual void BitmapResized();
    virtual void BitmapChanged(const TRect& area);
    virtual void ExecBitmapFrame(TBitmap32& dest, int32_t stageNum);
    virtual void ExecClearBuffer(TBitmap32& dest, int32_t stageNum);
    virtual void ExecClearBackgnd(TBitmap32& dest, int32_t stageNum);
    virtual void ExecControlFrame(TBitmap32& dest, int32_t stageNum);
    virtual void ExecCustom(TBitmap32& dest, int32_t stageNum);
    virtual void ExecDrawBitmap(TBitmap32& dest, int32_t stageNum);
    virtual void ExecDrawLayers(TBitmap32& dest, int32_t stageNum);
    virtual void ImageMouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y, TCustomLayer* layer);
    virtual void ImageMouseMove(TShiftState shift, int32_t x, int32_t y, TCustomLayer* layer);
    virtual void ImageMouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y, TCustomLayer* layer);
    virtual void DoScaleChange();
    virtual void DoInitStages();
    // Recomputes the bitmap rectangle and the bitmap-to-control mapping.
    virtual void UpdateCache();
    void InvalidateCache() { FCacheValid = false; }

private:
    using TStageHandler = void (TCustomImage32::*)(TBitmap32& dest, int32_t stageNum);

    void BitmapResizeHandler();
    void BitmapChangeHandler();
    void BitmapAreaChangeHandler(const TRect& area, uint32_t info);
    void LayerCollectionChangeHandler();
    void LayerCollectionGDIUpdateHandler();
    void LayerCollectionGetViewportScale(float& scaleX, float& scaleY);
    void LayerCollectionGetViewportShift(float& shiftX, float& shiftY);
    void PrepareStageHandlers();
    void RunStageHandlers(TBitmap32& dest);

    std::unique_ptr<TBitmap32> FBitmap;
    std::unique_ptr<TLayerCollection> FLayers;
    TBitmapAlign FBitmapAlign = baTopLeft;
    float FScaleX = 1.0f;
    float FScaleY = 1.0f;
    TScaleMode FScaleMode = smNormal;
    float FOffsetHorz = 0;
    float FOffsetVert = 0;
    bool FAutoSize = false;
    int32_t FUpdateCount = 0;
    TPaintStages FPaintStages;
    std::vector<std::pair<TStageHandler, int32_t>> FPaintStageHandlers;
    TRect FCachedBitmapRect;
    bool FCacheValid = false;
    // Bitmap pixels to control pixels, 16.16.
    TFixed FCachedScaleX = FixedOne;
    TFixed FCachedScaleY = FixedOne;
    TFixed FCachedShiftX = 0;
    TFixed FCachedShiftY = 0;
};

class TImage32 : public TCustomImage32 {
public:
    std::string ClassName() const override { return "TImage32"; }
};
