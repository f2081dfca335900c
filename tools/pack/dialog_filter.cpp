#include "tools/pack/dialog_filter.h"

#include "base/sjis.h"

#include <QString>

QStringList QtNameFilters(std::string_view Filter)
{
    const QStringList parts = QString::fromUtf8(sjis::ToUtf8(Filter)).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& p : patterns)
            if (p == QLatin1String("*.*"))
                p = QStringLiteral("*");
        filters << parts[i] + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return filters;
}
