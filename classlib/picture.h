#pragma once
// The class library's picture: one graphic of any registered class, loaded
// from files by their extension or from streams by their first bytes.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "base/classes.h"
#include "base/streams.h"
#include "classlib/bitmap.h"
#include "classlib/graphic_base.h"

using TGraphicFactory = std::unique_ptr<TGraphic> (*)();
// Whether the first bytes of a stream are of the format (may see fewer bytes
// than a header when the stream is short).
using TGraphicSniffer = bool (*)(const uint8_t* head, size_t size);

class TPicture : public TPersistent {
public:
    TPicture();
    ~TPicture() override;
    TPicture(const TPicture&) = delete;
    TPicture& operator=(const TPicture&) = delete;
    std::string ClassName() const override { return "TPicture"; }

    // The held graphic, or nullptr.
    TGraphic* Graphic() const { return FGraphic.get(); }
    // Holds a copy of `graphic` (a new object of its class assigned from it);
    // nullptr empties the picture.
    void SetGraphic(const TGraphic* graphic);
    // Takes ownership.
    void SetGraphic(std::unique_ptr<TGraphic> graphic);
    // The held TBitmap; any other content is replaced by a new empty TBitmap.
    TBitmap* Bitmap();

    int32_t Width() const { return FGraphic ? FGraphic->Width() : 0; }
    int32_t Height() const { return FGraphic ? FGraphic->Height() : 0; }

    // The class is chosen by the file name's extension (case-insensitive):
    // .bmp TBitmap, .jpg/.jpeg TJPEGImage, and the registered ones. An unknown
    // extension raises EInvalidGraphic("Unknown picture file extension
    // (.<ext>)"). A failed load leaves the picture as it was.
    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName);
    // The class is chosen by the stream's first bytes; an unknown format raises
    // EInvalidGraphic("Unknown picture format").
    void LoadFromStream(TStream& stream);
    void SaveToStream(TStream& stream);

    // From a TPicture or a TGraphic (a copy), nil empties.
    void Assign(const TPersistent* source) override;
    // The held graphic is assigned to `dest`.
    void AssignTo(TPersistent* dest) const override;

    TNotifyEvent OnChange;

    // Registers a graphic class for a file extension (with or without the
    // dot); a later registration of the same extension wins. `sniff` lets
    // LoadFromStream recognise the format.
    static void RegisterFileFormat(std::string_view extension, std::string_view description, TGraphicFactory create,
        TGraphicSniffer sniff = nullptr);
    // Removes every extension registered for the class.
    static void UnregisterGraphicClass(TGraphicFactory create);

private:
    void Changed();
    void Attach(std::unique_ptr<TGraphic> graphic);

    std::unique_ptr<TGraphic> FGraphic;
};
