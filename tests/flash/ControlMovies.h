// Generated movies shown in the control: written to a folder, then opened
// and read whole before a test drives them.

#pragma once

#include <gtest/gtest.h>

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <cstdint>
#include <vector>

#include "flash/ShockwaveFlash.h"

namespace flashtest {

// `bytes` written as `name` in `dir`; the file's path, empty when it
// could not be written.
inline QString writeMovie(const QTemporaryDir& dir, const QString& name, const std::vector<std::uint8_t>& bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size())) != qint64(bytes.size()))
        return {};
    return path;
}

// Opens `path` in the control and waits until it has been read whole.
inline ::testing::AssertionResult loadWhole(flash::ShockwaveFlash& control, const QString& path)
{
    if (path.isEmpty())
        return ::testing::AssertionFailure() << "the movie could not be written";
    QSignalSpy done(&control, &flash::ShockwaveFlash::loadFinished);
    control.setMovie(path);
    if (done.isEmpty() && !done.wait(5000))
        return ::testing::AssertionFailure() << "the movie was never read whole";
    return ::testing::AssertionSuccess();
}

// Both: the generated movie written and shown.
inline ::testing::AssertionResult showMovie(flash::ShockwaveFlash& control, const QTemporaryDir& dir, const QString& name,
                                            const std::vector<std::uint8_t>& bytes)
{
    return loadWhole(control, writeMovie(dir, name, bytes));
}

} // namespace flashtest
