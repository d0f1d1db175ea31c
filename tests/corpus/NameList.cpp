#include "NameList.h"

#include <QFile>
#include <QTextStream>

namespace corpus {

std::set<QString> readNameList(const QString& path)
{
    std::set<QString> names;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return names;
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (!line.isEmpty() && !line.startsWith(QLatin1Char('#')))
            names.insert(line);
    }
    return names;
}

} // namespace corpus
