#pragma once
// The abstract picture of the class library and its errors.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/classes.h"
#include "base/exceptions.h"
#include "base/streams.h"
#include "base/types.h"

// Picture data that cannot be read: bad headers, unknown formats, damaged
// pixel data. The message says what was wrong.
class EInvalidGraphic : public Exception {
public:
    using Exception::Exception;
};

// An operation the picture does not allow in its state (a scan line out of
// range, resizing a JPEG image, drawing on a canvas with no pixels).
class EInvalidGraphicOperation : public Exception {
public:
    using Exception::Exception;
};

// One palette entry as DIB colour tables hold it.
struct TRGBQuad {
    uint8_t Blue = 0;
    uint8_t Green = 0;
    uint8_t Red = 0;
    uint8_t Reserved = 0;
    friend bool operator==(const TRGBQuad&, const TRGBQuad&) = default;
};
using TPalette = std::vector<TRGBQuad>;

enum TProgressStage : uint8_t { psStarting, psRunning, psEnding };
using TProgressEvent = std::function<void(TObject* sender, TProgressStage stage, uint8_t percentDone, bool redrawNow,
    const TRect& r, const std::string& msg)>;

class TCanvas;

class TGraphic : public TPersistent {
public:
    std::string ClassName() const override { return "TGraphic"; }

    // A new, empty picture of the same class (the class reference's virtual
    // constructor); TPicture copies pictures with it.
    virtual std::unique_ptr<TGraphic> CreateNew() const = 0;

    virtual bool Empty() const = 0;
    virtual int32_t Width() const = 0;
    virtual int32_t Height() const = 0;
    virtual void SetWidth(int32_t value) = 0;
    virtual void SetHeight(int32_t value) = 0;

    // Whether drawing leaves the picture's transparent parts out.
    virtual bool Transparent() const { return FTransparent; }
    // Stores the flag and signals a change when it differs.
    virtual void SetTransparent(bool value);

    virtual TPalette GetPalette() const { return {}; }
    virtual void SetPalette(const TPalette&) {}

    // Reads the picture from the stream's position; on failure the picture
    // keeps what it held unless the class says otherwise.
    virtual void LoadFromStream(TStream& stream) = 0;
    virtual void SaveToStream(TStream& stream) = 0;
    // `fileName` is a file-system path (UTF-8). Saving writes through a
    // temporary file, so a failed save leaves an existing file as it was.
    virtual void LoadFromFile(const std::string& fileName);
    virtual void SaveToFile(const std::string& fileName);

    // Form-description streaming; by default the stream forms above.
    virtual void ReadData(TStream& stream) { LoadFromStream(stream); }
    virtual void WriteData(TStream& stream) { SaveToStream(stream); }
    // Same class and the same saved bytes (both empty counts as equal).
    virtual bool Equals(TGraphic* other);

    // Draws the picture stretched into `rect` of the canvas; called by
    // TCanvas::Draw and StretchDraw.
    virtual void Draw(TCanvas& canvas, const TRect& rect) const = 0;

    bool Modified() const { return FModified; }
    void SetModified(bool value);
    bool PaletteModified() const { return FPaletteModified; }
    void SetPaletteModified(bool value) { FPaletteModified = value; }

    TNotifyEvent OnChange;
    TProgressEvent OnProgress;

    // Sets Modified and fires OnChange.
    virtual void Changed(TObject* sender);
    virtual void Progress(TObject* sender, TProgressStage stage, uint8_t percentDone, bool redrawNow, const TRect& r,
        const std::string& msg);

private:
    bool FTransparent = false;
    bool FModified = false;
    bool FPaletteModified = false;
};
