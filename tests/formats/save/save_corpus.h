#pragma once
// The save-file corpus beside the tests: files of every version, what each
// one holds (JSON) and the script they were taken from.

#include "base/streams.h"
#include "formats/save/save_record.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <string>
#include <vector>

inline std::string CorpusPath(const std::string& name)
{
    return std::string(TG_TESTDATA_DIR) + "/saves/" + name;
}

inline std::vector<uint8_t> CorpusBytes(const std::string& name)
{
    return ReadFileBytes(CorpusPath(name));
}

inline std::string CorpusName(int version, const char* extension)
{
    return (version < 10 ? "v0" : "v") + std::to_string(version) + extension;
}
inline std::string CorpusSave(int version)
{
    return CorpusName(version, ".sav");
}

inline QJsonObject CorpusExpected(int version)
{
    const std::vector<uint8_t> b = CorpusBytes(CorpusName(version, ".json"));
    return QJsonDocument::fromJson(QByteArray(reinterpret_cast<const char*>(b.data()), qsizetype(b.size()))).object();
}

// The reader's view of the corpus script: its labels, as the JSON lists
// them, and the number of items it declares.
inline TSaveReadContext CorpusContext(const QJsonObject& expected, int itemCount)
{
    TSaveReadContext c;
    c.ItemCount = itemCount;
    const QJsonObject labels = expected["labels"].toObject();
    c.FindLabel = [labels](const std::string& name, int32_t& line, int32_t& scene) {
        const QJsonValue v = labels[QString::fromStdString(name)];
        if (!v.isArray())
            return false;
        line = v.toArray()[0].toInt();
        scene = v.toArray()[1].toInt();
        return true;
    };
    return c;
}
