#include "TvkProcess.h"

#include <QFile>
#include <QJsonDocument>
#include <QProcess>

QJsonObject TvkRun::json() const
{
    return QJsonDocument::fromJson(out).object();
}

TvkRun runTvk(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral(TVK_BINARY), arguments);
    TvkRun run;
    if (!process.waitForFinished(60'000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.status = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

QString Scratch::write(const QString& name, const std::vector<std::uint8_t>& bytes)
{
    const QString file = m_dir.filePath(name);
    QFile out(file);
    if (out.open(QIODevice::WriteOnly))
        out.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
    return file;
}
