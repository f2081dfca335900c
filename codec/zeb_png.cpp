#include "codec/zeb_png.h"

#include "codec/png_tbitmap.h"
#include "codec/zeb_png_read.h"
#include "codec/zeb_png_write.h"
#include "classlib/canvas.h"
#include "classlib/picture.h"

#include <cstring>

namespace {

std::unique_ptr<TGraphic> CreateZEBPNG()
{
    return std::make_unique<TZEBPNG>();
}

bool IsPNGData(const uint8_t* head, size_t size)
{
    static constexpr uint8_t Signature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    return size >= sizeof Signature && std::memcmp(head, Signature, sizeof Signature) == 0;
}

// PNG files become pictures of the class library for as long as the program
// runs.
struct Registration {
    Registration() { TPicture::RegisterFileFormat("PNG", "PNG Format", CreateZEBPNG, IsPNGData); }
    ~Registration() { TPicture::UnregisterGraphicClass(CreateZEBPNG); }
};
const Registration Registered;

// Gives the bitmap its change handler back however the decode ends.
struct ChangeHandlerHold {
    explicit ChangeHandlerHold(TBitmap& bitmap) : Bitmap(bitmap), Saved(std::move(bitmap.OnChange))
    {
        bitmap.OnChange = nullptr;
    }
    ~ChangeHandlerHold() { Bitmap.OnChange = std::move(Saved); }
    TBitmap& Bitmap;
    TNotifyEvent Saved;
};

} // namespace

TZEBPNG::TZEBPNG()
    : FAlpha(std::make_unique<TBitmap>()),
      FImage(std::make_unique<TBitmap>()),
      FIDATSize(TZEBPNGWriteStream::DefaultIDATSize),
      FTimeRecord(CurrentUTCTime())
{
}

TZEBPNG::~TZEBPNG() = default;

std::unique_ptr<TGraphic> TZEBPNG::CreateNew() const
{
    return std::make_unique<TZEBPNG>();
}

void TZEBPNG::Assign(const TPersistent* source)
{
    if (source == this)
        return;
    if (const auto* png = dynamic_cast<const TZEBPNG*>(source)) {
        FImage->Assign(png->FImage.get());
        FAlpha->Assign(png->FAlpha.get());
        FIDATSize = png->FIDATSize;
        FCompressionLevel = png->FCompressionLevel;
        FFilterMode = png->FFilterMode;
        FInterlace = png->FInterlace;
        FGrey = png->FGrey;
        // The copy writes the alpha channel it holds, as the original does.
        FHasAlpha = png->FHasAlpha;
        FComment = png->FComment;
        FBackground = png->FBackground;
        FTransparentValue = png->FTransparentValue;
        FGamma = png->FGamma;
        FSignificantBits = png->FSignificantBits;
        FPhysUnit = png->FPhysUnit;
        FPhysX = png->FPhysX;
        FPhysY = png->FPhysY;
        FCurrentTime = png->FCurrentTime;
        FTimeRecord = png->FTimeRecord;
        FChromaticity = png->FChromaticity;
        FGIFg = png->FGIFg;
    } else if (const auto* graphic = dynamic_cast<const TGraphic*>(source)) {
        FImage->Assign(graphic);
    } else {
        TGraphic::Assign(source);
    }
    Synchronize();
}

void TZEBPNG::AssignTo(TPersistent* dest) const
{
    if (auto* graphic = dynamic_cast<TGraphic*>(dest))
        graphic->Assign(FImage.get());
    else
        TGraphic::AssignTo(dest);
}

void TZEBPNG::SetWidth(int32_t value)
{
    if (!FImage->Empty())
        FImage->SetWidth(value);
    if (!FAlpha->Empty())
        FAlpha->SetWidth(value);
    Changed(this);
}

void TZEBPNG::SetHeight(int32_t value)
{
    if (!FImage->Empty())
        FImage->SetHeight(value);
    if (!FAlpha->Empty())
        FAlpha->SetHeight(value);
    Changed(this);
}

void TZEBPNG::SetPalette(const TPalette& palette)
{
    FImage->SetPalette(palette);
    Changed(this);
}

void TZEBPNG::SetTransparent(bool value)
{
    TGraphic::SetTransparent(value);
    if (!FSyncing && FImage->Transparent() != value)
        FImage->SetTransparent(value);
}

void TZEBPNG::Synchronize()
{
    SetPaletteModified(true);
    if (Transparent() == FImage->Transparent()) {
        Changed(this);
    } else {
        FSyncing = true;
        SetTransparent(FImage->Transparent());
        FSyncing = false;
    }
}

void TZEBPNG::Decode(TStream& stream, bool keepInterlace)
{
    FAlpha->Assign(nullptr);
    FHasAlpha = false;

    TZEBPNGReadStream reader;
    reader.SetMacBinary(FMacBinary);
    reader.SetDecode1516(FDecode1516);
    reader.SetAnyBitmapSize(FAnyBitmapSize);
    reader.SetKeyString(FKeyString);
    reader.SetOnKeyRequest(OnKeyRequest);
    reader.SetOnReadRow(OnReadRow);
    reader.SetRecords(&FTimeRecord, &FChromaticity, &FGIFg);

    PngTBitmapAdapter image(*FImage);
    PngTBitmapAdapter alpha(*FAlpha);
    if (OnProgress) {
        image.OnProgress = [this](int percent) {
            const TProgressStage stage = percent <= 0 ? psStarting : percent >= 100 ? psEnding : psRunning;
            Progress(this, stage, static_cast<uint8_t>(percent), false, TRect{}, "");
        };
    }
    reader.SetAlphaBitmap(&alpha);
    {
        ChangeHandlerHold hold(*FImage);
        reader.LoadFromStream(&image, stream, 0);
    }

    FHasAlpha = reader.HasAlpha();
    FComment = reader.Comment();
    FBackground = reader.Background();
    FTransparentValue = reader.Transparent();
    if (keepInterlace)
        FInterlace = static_cast<uint8_t>(reader.Interlace());
    FGamma = reader.Gamma();
    FPhysX = static_cast<int32_t>(reader.PhysicalX());
    FPhysY = static_cast<int32_t>(reader.PhysicalY());
    FPhysUnit = reader.PhysicalUnit();
    FSignificantBits = static_cast<int32_t>(reader.SignificantBits());
    FBitDepth = reader.BitDepth();
    FGrey = reader.Grey();
}

void TZEBPNG::LoadFromStream(TStream& stream)
{
    Decode(stream, true);
    Synchronize();
}

void TZEBPNG::ReadData(TStream& stream)
{
    Decode(stream, false);
    Synchronize();
    Changed(this);
}

void TZEBPNG::Encode(TStream& stream, bool withOptions)
{
    TZEBPNGWriteStream writer;
    if (withOptions) {
        writer.SetCompressionLevel(FCompressionLevel);
        writer.SetFilterMode(FFilterMode);
        writer.SetIDATSize(FIDATSize);
        writer.SetInterlace(FInterlace);
    }
    writer.SetGrey(FGrey);
    writer.SetComment(FComment);
    writer.SetBackground(FBackground);
    writer.SetTransparent(FTransparentValue);
    writer.SetGamma(FGamma);
    writer.SetSignificantBits(FSignificantBits);
    writer.SetPhysical(FPhysX, FPhysY, FPhysUnit);
    writer.SetCurrentTime(FCurrentTime);
    writer.SetRecords(&FTimeRecord, &FChromaticity, &FGIFg);
    writer.SetOnWriteRow(OnWriteRow);
    writer.SetKeyString(FKeyString);

    PngTBitmapAdapter image(*FImage);
    PngTBitmapAdapter alpha(*FAlpha);
    if (FImage->OnProgress) {
        image.OnProgress = [this](int percent) {
            const TProgressStage stage = percent <= 0 ? psStarting : percent >= 100 ? psEnding : psRunning;
            FImage->OnProgress(FImage.get(), stage, static_cast<uint8_t>(percent), false, TRect{}, "");
        };
    }
    if (FHasAlpha)
        writer.SetAlphaBitmap(&alpha);
    writer.SaveToStream(image, stream);
}

void TZEBPNG::SaveToStream(TStream& stream)
{
    Encode(stream, true);
}

void TZEBPNG::WriteData(TStream& stream)
{
    if (!Empty())
        Encode(stream, false);
}

void TZEBPNG::Draw(TCanvas& canvas, const TRect& rect) const
{
    canvas.StretchDraw(rect, FImage.get());
}

bool TZEBPNG::GetAlphaBitmap(TBitmap* dest) const
{
    if (FAlpha->Empty())
        return false;
    if (dest != nullptr)
        dest->Assign(FAlpha.get());
    return true;
}
