#include "tools/filedrop/data_object_reader.h"

#include "base/stringlist.h"
#include "tools/filedrop/drop_effects.h"

#include <QFile>
#include <QMimeData>
#include <QUrl>

bool TDataObjectReader::HasFormat(uint16_t Format) const
{
    if (!FDataObject)
        return false;
    switch (Format) {
    case CF_HDROP:
        for (const QUrl& url : FDataObject->urls())
            if (url.isLocalFile())
                return true;
        return false;
    case CF_TEXT:
    case CF_OEMTEXT:
    case CF_UNICODETEXT: return FDataObject->hasText();
    case CF_BITMAP:
    case CF_DIB: return FDataObject->hasImage();
    default: {
        const std::string name = RegisteredFormatName(Format);
        return !name.empty() && FDataObject->hasFormat(QString::fromStdString(name));
    }
    }
}

int TDataObjectReader::GetFileNames(TStringList& List) const
{
    if (!FDataObject)
        return 0;
    int n = 0;
    for (const QUrl& url : FDataObject->urls()) {
        if (!url.isLocalFile())
            continue;
        List.Add(QFile::encodeName(url.toLocalFile()).toStdString());
        ++n;
    }
    return n;
}

void GetDroppedFileNames(const QMimeData* DataObject, TStringList& List)
{
    const TDataObjectReader reader(DataObject);
    if (!reader.HasFormat(CF_HDROP))
        throw EOleError("The dropped data holds no file names");
    reader.GetFileNames(List);
}
