#pragma once

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

// A scratch folder for browser tests, with helpers to fill it.
class TempTree {
public:
    QString path() const { return QDir::toNativeSeparators(m_dir.path()); }
    QString at(const QString& relative) const { return QDir(m_dir.path()).filePath(relative); }

    void file(const QString& relative, const QByteArray& bytes = "x")
    {
        QFile f(at(relative));
        if (f.open(QIODevice::WriteOnly))
            f.write(bytes);
    }
    void folder(const QString& relative) { QDir(m_dir.path()).mkpath(relative); }

private:
    QTemporaryDir m_dir;
};
