#include <gtest/gtest.h>

#include "app/FilePattern.h"

TEST(FilePattern, MovieListPatternTakesADotFollowedAtAnyDistanceByFinalSwf)
{
    const app::FilePattern movies(QStringLiteral("*.*swf"));
    struct Case {
        const char* name;
        bool listed;
    };
    const Case cases[] = {
        {"intro.swf", true},      {"INTRO.SWF", true},     {"Intro.Swf", true},   {"intro.xswf", true},
        {"a.b.c.swf", true},      {"x.swf.swf", true},     {".swf", true},        {"introswf", false},
        {"swf", false},           {"intro.swf.bak", false}, {"intro.sw", false},  {"intro.", false},
        {"intro.swfx", false},    {"", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(movies.matches(QString::fromUtf8(c.name)), c.listed) << c.name;
}

TEST(FilePattern, QuestionMarksAndSeveralPatterns)
{
    const app::FilePattern pattern(QStringLiteral("clip?.swf;*.spl"));
    EXPECT_TRUE(pattern.matches(u"clip1.swf"));
    EXPECT_FALSE(pattern.matches(u"clip.swf"));
    EXPECT_FALSE(pattern.matches(u"clip12.swf"));
    EXPECT_TRUE(pattern.matches(u"old.SPL"));
}

TEST(FilePattern, ManyStarsStayFastOnLongNames)
{
    const app::FilePattern pattern(QStringLiteral("*a*a*a*a*a*a*a*b"));
    const QString name(5000, QLatin1Char('a'));
    EXPECT_FALSE(pattern.matches(name));
}

TEST(FilePattern, TellsPatternsFromNames)
{
    EXPECT_TRUE(app::FilePattern::isPattern(QStringLiteral("*.swf")));
    EXPECT_TRUE(app::FilePattern::isPattern(QStringLiteral("a?.swf")));
    EXPECT_FALSE(app::FilePattern::isPattern(QStringLiteral("intro.swf")));
}
