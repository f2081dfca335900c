#pragma once
// Reading what a drag carries. The data object of a drag is the Qt mime data
// of the drop event; file lists arrive as "text/uri-list" and only local
// files count as dropped files.

#include "base/classes.h"
#include "base/exceptions.h"

#include <cstdint>

class QMimeData;
class TStringList;

// The dropped data does not offer what was asked of it.
class EOleError : public Exception {
public:
    using Exception::Exception;
};

class TDataObjectReader : public TObject {
public:
    // DataObject is not owned and must outlive the reader (a drop event's
    // data lives as long as the event).
    explicit TDataObjectReader(const QMimeData* DataObject) : FDataObject(DataObject) {}
    std::string ClassName() const override { return "TDataObjectReader"; }

    // Whether the data offers the clipboard format: CF_HDROP when it names at
    // least one local file, the text formats when it holds text, CF_BITMAP
    // and CF_DIB when it holds an image, a registered format when it carries
    // the MIME type of that name.
    bool HasFormat(uint16_t Format) const;
    // Appends every dropped local file's path (file-system bytes, UTF-8 on
    // Linux), in the order of the drop, however long. Returns how many.
    int GetFileNames(TStringList& List) const;

private:
    const QMimeData* FDataObject;
};

// The dropped files' paths appended to List; raises EOleError when the data
// names no local file.
void GetDroppedFileNames(const QMimeData* DataObject, TStringList& List);
