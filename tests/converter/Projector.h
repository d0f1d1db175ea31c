#pragma once

// Builds projector files for the converter's tests: a filler that is full of
// near misses (F, FW, S) but never holds the signature, with the three
// signature bytes written wherever a test wants them.

#include <initializer_list>

#include <QByteArray>
#include <QFile>
#include <QString>

namespace testprojector {

inline QByteArray bytes(qsizetype length, std::initializer_list<qsizetype> signatures = {},
                        const QByteArray& mark = QByteArrayLiteral("FWS"))
{
    static const QByteArray filler("MZ\x90\x00" "FWxF\x01S", 10);
    QByteArray data(length, Qt::Uninitialized);
    for (qsizetype i = 0; i < length; ++i)
        data[i] = filler[i % filler.size()];
    for (qsizetype at : signatures)
        data.replace(at, mark.size(), mark);
    return data;
}

inline bool write(const QString& path, const QByteArray& data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

inline QByteArray read(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace testprojector
