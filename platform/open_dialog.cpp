#include "platform/open_dialog.h"

#include <QFileDialog>
#include <QStringList>

#include "platform/qt_sjis.h"

bool TOpenDialog::Execute(QWidget* parent)
{
    if (OnExecute)
        return OnExecute(*this);
    const QString filters = QString::fromUtf8(QtFilter(Filter));
    const QString chosen = QFileDialog::getOpenFileName(parent, SjisToQString(Title), QString(), filters);
    if (chosen.isEmpty())
        return false;
    FileName = chosen.toStdString();
    return true;
}

std::string TOpenDialog::QtFilter(const std::string& filter)
{
    const QStringList parts = SjisToQString(filter).split('|');
    QStringList result;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        // Windows matched the patterns without regard to case; names copied
        // from there are often upper case.
        QStringList patternList;
        for (const QString& pattern : parts[i + 1].split(';', Qt::SkipEmptyParts)) {
            patternList << pattern;
            if (pattern.toUpper() != pattern)
                patternList << pattern.toUpper();
        }
        const QString patterns = patternList.join(' ');
        QString description = parts[i];
        // The original writes the patterns into its descriptions already.
        if (!description.contains('('))
            description += " (" + patterns + ")";
        else
            description = description.left(description.indexOf('(')) + "(" + patterns + ")";
        result << description;
    }
    return result.join(";;").toStdString();
}
