#include <cstdio>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "cli/Command.h"
#include "cli/MovieFile.h"
#include "swf/read/Movie.h"
#include "swf/read/TagCode.h"

namespace cli {

namespace {

QString compressionName(swf::Compression compression)
{
    switch (compression) {
    case swf::Compression::None:
        return QStringLiteral("none");
    case swf::Compression::Zlib:
        return QStringLiteral("zlib");
    case swf::Compression::Lzma:
        return QStringLiteral("lzma");
    }
    return {};
}

QString colourName(swf::Color colour)
{
    return QString::asprintf("#%02x%02x%02x", colour.r, colour.g, colour.b);
}

QJsonObject stageOf(const swf::Rect& frame)
{
    const QJsonObject twips {
        {"xMin", frame.xMin},
        {"xMax", frame.xMax},
        {"yMin", frame.yMin},
        {"yMax", frame.yMax},
        {"width", frame.width()},
        {"height", frame.height()},
    };
    const QJsonObject pixels {
        {"width", frame.width() / 20.0},
        {"height", frame.height() / 20.0},
    };
    return {{"twips", twips}, {"pixels", pixels}};
}

QJsonArray tagCountsOf(const swf::Movie& movie)
{
    QJsonArray counts;
    for (const auto& [code, count] : movie.tagCounts()) {
        QJsonObject entry {{"code", code}, {"count", count}};
        const std::string_view name = swf::tagName(code);
        if (!name.empty())
            entry.insert("name", QString::fromLatin1(name.data(), qsizetype(name.size())));
        counts.append(entry);
    }
    return counts;
}

QJsonArray diagnosticsOf(const swf::Player& player)
{
    QJsonArray diagnostics;
    for (const swf::Diagnostic& diagnostic : player.diagnostics()) {
        QJsonObject entry {{"offset", qint64(diagnostic.offset)}, {"message", QString::fromStdString(diagnostic.message)}};
        if (diagnostic.tagCode >= 0)
            entry.insert("tagCode", diagnostic.tagCode);
        diagnostics.append(entry);
    }
    return diagnostics;
}

QJsonObject infoOf(const swf::Player& player)
{
    const swf::Header& header = *player.header();
    return {
        {"signature", QString::fromStdString(header.signature)},
        {"compression", compressionName(header.compression)},
        {"version", header.version},
        {"fileLength", qint64(header.fileLength)},
        {"bytesLoaded", qint64(player.bytesLoaded())},
        {"stage", stageOf(header.frameSize)},
        {"frameRate", header.frameRate()},
        {"frameCount", header.frameCount},
        {"framesLoaded", player.framesLoaded()},
        {"backgroundColor", colourName(player.backgroundColor())},
        {"tags", tagCountsOf(*player.movie())},
        {"diagnostics", diagnosticsOf(player)},
        // Past the engine's cap problems are only counted.
        {"diagnosticsDropped", qint64(player.diagnosticsDropped())},
    };
}

} // namespace

int runInfo(const QStringList& arguments)
{
    if (arguments.size() != 1)
        return fail(QStringLiteral("usage: tvk info FILE"), kUsage);
    swf::Player player;
    if (const QString problem = loadMovieFile(arguments.front(), player); !problem.isEmpty())
        return fail(problem);
    const QByteArray json = QJsonDocument(infoOf(player)).toJson(QJsonDocument::Indented);
    std::fwrite(json.constData(), 1, std::size_t(json.size()), stdout);
    return kOk;
}

} // namespace cli
