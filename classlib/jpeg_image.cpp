#include "classlib/jpeg_image.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <string>

#include <jpeglib.h>
#include <jerror.h>

#include "classlib/canvas.h"

namespace {

// Progressive files may hold any number of scans; real ones have a few dozen.
constexpr int MaxScans = 1000;
constexpr long MaxDecoderMemory = 1L << 30;

struct TErrorManager {
    jpeg_error_mgr Pub;
    jmp_buf Jump;
    char Message[JMSG_LENGTH_MAX];
    int Code;
};

// libjpeg's default would print the message and end the process.
void ErrorExit(j_common_ptr cinfo)
{
    auto* err = reinterpret_cast<TErrorManager*>(cinfo->err);
    err->Code = cinfo->err->msg_code;
    (*cinfo->err->format_message)(cinfo, err->Message);
    longjmp(err->Jump, 1);
}

// Nothing is printed.
void OutputMessage(j_common_ptr)
{
}

// A warning means the file is cut short or its data is damaged, and the
// picture would show grey or garbled where the data failed: it fails the
// decode like an error. Only an unknown JFIF revision or Adobe colour
// transform code, which leave the pixels sound, pass.
void EmitMessage(j_common_ptr cinfo, int level)
{
    if (level >= 0)
        return; // trace messages
    const int code = cinfo->err->msg_code;
    if (code == JWRN_JFIF_MAJOR || code == JWRN_ADOBE_XFORM) {
        ++cinfo->err->num_warnings;
        return;
    }
    ErrorExit(cinfo);
}

struct TProgress {
    jpeg_progress_mgr Pub;
};

void Monitor(j_common_ptr cinfo)
{
    if (cinfo->is_decompressor && reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > MaxScans) {
        auto* err = reinterpret_cast<TErrorManager*>(cinfo->err);
        err->Code = 0;
        std::snprintf(err->Message, sizeof err->Message, "Too many scans in progressive JPEG file");
        longjmp(err->Jump, 1);
    }
}

// One decode. The functions with setjmp hold nothing that needs destroying,
// so a longjmp out of libjpeg skips no destructor; the C++ side allocates
// between the two steps and the destructor frees libjpeg's state.
class TDecoder {
public:
    TDecoder()
    {
        std::memset(&FInfo, 0, sizeof FInfo);
        std::memset(&FError, 0, sizeof FError);
        FInfo.err = jpeg_std_error(&FError.Pub);
        FError.Pub.error_exit = ErrorExit;
        FError.Pub.output_message = OutputMessage;
        FError.Pub.emit_message = EmitMessage;
        FProgress.Pub.progress_monitor = Monitor;
    }
    ~TDecoder()
    {
        if (FCreated)
            jpeg_destroy_decompress(&FInfo);
    }
    TDecoder(const TDecoder&) = delete;
    TDecoder& operator=(const TDecoder&) = delete;

    bool ReadHeader(const uint8_t* data, size_t size);
    bool ReadPixels(TBitmap& target);

    int Width() const { return static_cast<int>(FInfo.image_width); }
    int Height() const { return static_cast<int>(FInfo.image_height); }
    bool Grayscale() const { return FInfo.jpeg_color_space == JCS_GRAYSCALE; }
    [[noreturn]] void Raise() const
    {
        throw EInvalidGraphic("JPEG error #" + std::to_string(FError.Code) + ": " + FError.Message);
    }
    void SetError(const char* text)
    {
        FError.Code = 0;
        std::snprintf(FError.Message, sizeof FError.Message, "%s", text);
    }

private:
    bool ReadRows(uint8_t* const* rows);

    jpeg_decompress_struct FInfo;
    TErrorManager FError;
    TProgress FProgress{};
    bool FCreated = false;
    bool FCmyk = false;
};

bool TDecoder::ReadHeader(const uint8_t* data, size_t size)
{
    if (setjmp(FError.Jump))
        return false;
    jpeg_create_decompress(&FInfo);
    FCreated = true;
    FInfo.mem->max_memory_to_use = MaxDecoderMemory;
    FInfo.progress = &FProgress.Pub;
    jpeg_mem_src(&FInfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(&FInfo, TRUE);
    FCmyk = FInfo.jpeg_color_space == JCS_CMYK || FInfo.jpeg_color_space == JCS_YCCK;
    FInfo.out_color_space = FCmyk ? JCS_CMYK : JCS_EXT_BGR;
    return true;
}

bool TDecoder::ReadRows(uint8_t* const* rows)
{
    if (setjmp(FError.Jump))
        return false;
    jpeg_start_decompress(&FInfo);
    JSAMPARRAY cmykRow = nullptr;
    if (FCmyk)
        cmykRow =
            (*FInfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&FInfo), JPOOL_IMAGE, FInfo.output_width * 4, 1);
    // Adobe writes CMYK inverted; others store plain ink amounts.
    const bool inverted = FInfo.saw_Adobe_marker;
    while (FInfo.output_scanline < FInfo.output_height) {
        uint8_t* row = rows[FInfo.output_scanline];
        if (!FCmyk) {
            JSAMPROW target = row;
            jpeg_read_scanlines(&FInfo, &target, 1);
            continue;
        }
        jpeg_read_scanlines(&FInfo, cmykRow, 1);
        const uint8_t* s = cmykRow[0];
        for (JDIMENSION x = 0; x < FInfo.output_width; ++x, s += 4) {
            const unsigned c = inverted ? s[0] : 255u - s[0], m = inverted ? s[1] : 255u - s[1];
            const unsigned y = inverted ? s[2] : 255u - s[2], k = inverted ? s[3] : 255u - s[3];
            row[3 * x] = static_cast<uint8_t>((y * k + 127) / 255);
            row[3 * x + 1] = static_cast<uint8_t>((m * k + 127) / 255);
            row[3 * x + 2] = static_cast<uint8_t>((c * k + 127) / 255);
        }
    }
    jpeg_finish_decompress(&FInfo);
    return true;
}

bool TDecoder::ReadPixels(TBitmap& target)
{
    std::vector<uint8_t*> rows(static_cast<size_t>(Height()));
    for (int y = 0; y < Height(); ++y)
        rows[static_cast<size_t>(y)] = target.ScanLine(y);
    return ReadRows(rows.data());
}

} // namespace

TJPEGImage::TJPEGImage() : FBitmap(std::make_unique<TBitmap>())
{
}

TJPEGImage::~TJPEGImage() = default;

std::unique_ptr<TGraphic> TJPEGImage::CreateNew() const
{
    return std::make_unique<TJPEGImage>();
}

void TJPEGImage::SetWidth(int32_t)
{
    throw EInvalidGraphicOperation("Cannot change the size of a JPEG image");
}

void TJPEGImage::SetHeight(int32_t)
{
    throw EInvalidGraphicOperation("Cannot change the size of a JPEG image");
}

void TJPEGImage::LoadFromStream(TStream& stream)
{
    std::vector<uint8_t> data;
    uint8_t chunk[65536];
    for (int64_t n; (n = stream.Read(chunk, sizeof chunk)) > 0;)
        data.insert(data.end(), chunk, chunk + n);
    if (data.empty())
        throw EInvalidGraphic("JPEG error #0: Empty JPEG image");

    TDecoder decoder;
    if (!decoder.ReadHeader(data.data(), data.size()))
        decoder.Raise();
    if (!PictureSizeAllowed(decoder.Width(), decoder.Height())) {
        decoder.SetError(
            ("Image too large (" + std::to_string(decoder.Width()) + " x " + std::to_string(decoder.Height()) + ")")
                .c_str());
        decoder.Raise();
    }
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetPixelFormat(pf24bit);
    bitmap->SetSize(decoder.Width(), decoder.Height());
    if (!decoder.ReadPixels(*bitmap))
        decoder.Raise();

    FBitmap = std::move(bitmap);
    FData = std::move(data);
    FGrayscale = decoder.Grayscale();
    Changed(this);
}

void TJPEGImage::SaveToStream(TStream& stream)
{
    if (!FData.empty())
        stream.WriteBuffer(FData.data(), static_cast<int64_t>(FData.size()));
}

void TJPEGImage::Assign(const TPersistent* source)
{
    if (source == nullptr) {
        FBitmap = std::make_unique<TBitmap>();
        FData.clear();
        FGrayscale = false;
        Changed(this);
        return;
    }
    const auto* other = dynamic_cast<const TJPEGImage*>(source);
    if (other == nullptr) {
        TGraphic::Assign(source);
        return;
    }
    if (other == this)
        return;
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->Assign(other->FBitmap.get());
    FBitmap = std::move(bitmap);
    FData = other->FData;
    FGrayscale = other->FGrayscale;
    Changed(this);
}

void TJPEGImage::AssignTo(TPersistent* dest) const
{
    if (auto* bitmap = dynamic_cast<TBitmap*>(dest)) {
        bitmap->Assign(FBitmap.get());
        return;
    }
    TGraphic::AssignTo(dest);
}

void TJPEGImage::Draw(TCanvas& canvas, const TRect& rect) const
{
    FBitmap->Draw(canvas, rect);
}
