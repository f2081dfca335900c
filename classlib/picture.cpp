#include "classlib/picture.h"

#include <algorithm>
#include <cctype>
#include <mutex>
#include <vector>

#include "classlib/jpeg_image.h"

namespace {

struct TFormat {
    std::string Extension; // lower case, no dot
    std::string Description;
    TGraphicFactory Create;
    TGraphicSniffer Sniff;
};

std::unique_ptr<TGraphic> NewBitmap()
{
    return std::make_unique<TBitmap>();
}
std::unique_ptr<TGraphic> NewJPEG()
{
    return std::make_unique<TJPEGImage>();
}
bool IsBitmapFile(const uint8_t* head, size_t size)
{
    return size >= 2 && head[0] == 'B' && head[1] == 'M';
}
bool IsJPEGFile(const uint8_t* head, size_t size)
{
    return size >= 3 && head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF;
}

struct TRegistry {
    std::mutex Mutex;
    std::vector<TFormat> Formats{
        {"bmp", "Bitmaps", &NewBitmap, &IsBitmapFile},
        {"jpg", "JPEG Image File", &NewJPEG, &IsJPEGFile},
        {"jpeg", "JPEG Image File", &NewJPEG, &IsJPEGFile},
    };
};

TRegistry& Registry()
{
    static TRegistry registry;
    return registry;
}

std::string NormaliseExtension(std::string_view extension)
{
    if (!extension.empty() && extension.front() == '.')
        extension.remove_prefix(1);
    std::string ext(extension);
    std::transform(ext.begin(), ext.end(), ext.begin(),
        [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
    return ext;
}

std::string ExtensionOf(const std::string& fileName)
{
    const size_t slash = fileName.find_last_of("/\\");
    const size_t dot = fileName.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    return fileName.substr(dot + 1);
}

} // namespace

TPicture::TPicture() = default;

TPicture::~TPicture()
{
    if (FGraphic)
        FGraphic->OnChange = nullptr;
}

void TPicture::Attach(std::unique_ptr<TGraphic> graphic)
{
    if (FGraphic)
        FGraphic->OnChange = nullptr;
    FGraphic = std::move(graphic);
    if (FGraphic)
        FGraphic->OnChange = [this](TObject*) { Changed(); };
    Changed();
}

void TPicture::SetGraphic(const TGraphic* graphic)
{
    if (graphic == FGraphic.get() && graphic != nullptr)
        return;
    std::unique_ptr<TGraphic> copy;
    if (graphic != nullptr) {
        copy = graphic->CreateNew();
        copy->Assign(graphic);
    }
    Attach(std::move(copy));
}

void TPicture::SetGraphic(std::unique_ptr<TGraphic> graphic)
{
    Attach(std::move(graphic));
}

TBitmap* TPicture::Bitmap()
{
    if (auto* bitmap = dynamic_cast<TBitmap*>(FGraphic.get()))
        return bitmap;
    Attach(std::make_unique<TBitmap>());
    return static_cast<TBitmap*>(FGraphic.get());
}

void TPicture::LoadFromFile(const std::string& fileName)
{
    const std::string ext = NormaliseExtension(ExtensionOf(fileName));
    TGraphicFactory create = nullptr;
    {
        TRegistry& registry = Registry();
        std::lock_guard lock(registry.Mutex);
        for (auto it = registry.Formats.rbegin(); it != registry.Formats.rend(); ++it)
            if (it->Extension == ext) {
                create = it->Create;
                break;
            }
    }
    if (create == nullptr)
        throw EInvalidGraphic("Unknown picture file extension (." + ext + ")");
    std::unique_ptr<TGraphic> graphic = create();
    graphic->LoadFromFile(fileName);
    Attach(std::move(graphic));
}

void TPicture::SaveToFile(const std::string& fileName)
{
    if (FGraphic)
        FGraphic->SaveToFile(fileName);
}

void TPicture::LoadFromStream(TStream& stream)
{
    const int64_t start = stream.Position();
    uint8_t head[64];
    const int64_t got = stream.Read(head, sizeof head);
    stream.SetPosition(start);
    TGraphicFactory create = nullptr;
    {
        TRegistry& registry = Registry();
        std::lock_guard lock(registry.Mutex);
        for (auto it = registry.Formats.rbegin(); it != registry.Formats.rend(); ++it)
            if (it->Sniff != nullptr && it->Sniff(head, static_cast<size_t>(std::max<int64_t>(got, 0)))) {
                create = it->Create;
                break;
            }
    }
    if (create == nullptr)
        throw EInvalidGraphic("Unknown picture format");
    std::unique_ptr<TGraphic> graphic = create();
    graphic->LoadFromStream(stream);
    Attach(std::move(graphic));
}

void TPicture::SaveToStream(TStream& stream)
{
    if (FGraphic)
        FGraphic->SaveToStream(stream);
}

void TPicture::Assign(const TPersistent* source)
{
    if (source == nullptr) {
        SetGraphic(static_cast<const TGraphic*>(nullptr));
    } else if (const auto* picture = dynamic_cast<const TPicture*>(source)) {
        if (picture != this)
            SetGraphic(picture->Graphic());
    } else if (const auto* graphic = dynamic_cast<const TGraphic*>(source)) {
        SetGraphic(graphic);
    } else {
        TPersistent::Assign(source);
    }
}

void TPicture::AssignTo(TPersistent* dest) const
{
    if (FGraphic)
        dest->Assign(FGraphic.get());
    else
        TPersistent::AssignTo(dest);
}

void TPicture::Changed()
{
    if (OnChange)
        OnChange(this);
}

void TPicture::RegisterFileFormat(
    std::string_view extension, std::string_view description, TGraphicFactory create, TGraphicSniffer sniff)
{
    TRegistry& registry = Registry();
    std::lock_guard lock(registry.Mutex);
    registry.Formats.push_back(TFormat{NormaliseExtension(extension), std::string(description), create, sniff});
}

void TPicture::UnregisterGraphicClass(TGraphicFactory create)
{
    TRegistry& registry = Registry();
    std::lock_guard lock(registry.Mutex);
    std::erase_if(registry.Formats, [create](const TFormat& f) { return f.Create == create; });
}
