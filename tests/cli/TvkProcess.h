#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdint>
#include <vector>

// Runs the built `tvk` and keeps what it said.
struct TvkRun {
    int status = -1;
    QByteArray out;
    QByteArray err;

    QJsonObject json() const;
};

TvkRun runTvk(const QStringList& arguments);

// A scratch folder for movies and images a test writes.
class Scratch {
public:
    QString write(const QString& name, const std::vector<std::uint8_t>& bytes);
    QString path(const QString& name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
};
