#include <gtest/gtest.h>

#include <QDir>
#include <QJsonArray>

#include "TvkProcess.h"

namespace {

// A few real movies through the tool; the in-process sweep over the whole
// corpus lives with the engine's own tests.
TEST(CorpusInfo, RealMoviesReportConsistentFacts)
{
    const QDir corpus(QStringLiteral(TVK_CORPUS_DIR));
    if (!corpus.exists())
        GTEST_SKIP() << "no corpus at " << TVK_CORPUS_DIR;
    int checked = 0;
    for (const char* folder : {"image", "trace", "sound"}) {
        const QStringList movies = QDir(corpus.filePath(folder)).entryList({"*.swf"}, QDir::Files, QDir::Name);
        // Spread over the folder rather than its first few names.
        for (qsizetype i = 0; i < movies.size(); i += std::max<qsizetype>(1, movies.size() / 8)) {
            const QString path = corpus.filePath(QStringLiteral("%1/%2").arg(folder, movies[i]));
            const TvkRun run = runTvk({"info", path});
            ASSERT_EQ(run.status, 0) << path.toStdString() << ": " << run.err.toStdString();
            const QJsonObject info = run.json();
            EXPECT_TRUE(QStringList({"FWS", "CWS"}).contains(info["signature"].toString())) << path.toStdString();
            EXPECT_GT(info["stage"]["twips"]["width"].toInt(), 0) << path.toStdString();
            // Some real headers promise more frames than the movie holds.
            EXPECT_LE(info["framesLoaded"].toInt(), info["frameCount"].toInt()) << path.toStdString();
            EXPECT_EQ(info["bytesLoaded"].toInteger(), info["fileLength"].toInteger()) << path.toStdString();
            EXPECT_TRUE(info["backgroundColor"].toString().startsWith('#'));
            ++checked;
        }
    }
    EXPECT_GT(checked, 10);
}

} // namespace
