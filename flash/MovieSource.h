#pragma once

// Where a movie's bytes come from. A source delivers them in order, a chunk
// at a time, from the event loop, so a large movie starts playing before it
// has been read to the end.

#include <QByteArray>
#include <QObject>
#include <QString>

namespace flash {

class MovieSource : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~MovieSource() override = default;

    virtual void start() = 0;

signals:
    void arrived(const QByteArray& bytes);
    // complete is false when the source ended early: a read error, or a
    // location that could not be opened at all.
    void finished(bool complete, const QString& reason);
};

} // namespace flash
