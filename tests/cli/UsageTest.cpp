#include <gtest/gtest.h>

#include "TvkProcess.h"

namespace {

TEST(Usage, GoesToStdoutWhenAskedForAndEndsInANewlineEitherWay)
{
    struct Case {
        QStringList arguments;
        int status;
        bool onStdout;
    };
    const Case cases[] {
        {{}, 2, false},
        {{"frobnicate"}, 2, false},
        {{"--help"}, 0, true},
        {{"-h"}, 0, true},
        {{"help"}, 0, true},
    };
    for (const Case& c : cases) {
        const TvkRun run = runTvk(c.arguments);
        EXPECT_EQ(run.status, c.status) << c.arguments.join(' ').toStdString();
        const QByteArray& text = c.onStdout ? run.out : run.err;
        EXPECT_TRUE(text.contains("usage:\n")) << text.toStdString();
        EXPECT_TRUE(text.endsWith('\n')) << c.arguments.join(' ').toStdString();
    }
}

} // namespace
