#include <cstdint>

#include <gtest/gtest.h>

#include <QLocale>

#include "converter/cPrecTimer.h"
#include "platform/Clock.h"

namespace {

using converter::cPrecTimer;

// A counter that moves on by `step` ticks each time it is read, as a real
// one moves on by the cost of reading it.
class SteppingClock final : public platform::Clock {
public:
    std::int64_t frequency() const override { return ticksPerSecond; }
    std::int64_t counter() const override
    {
        ++reads;
        now += step;
        return now;
    }

    std::int64_t ticksPerSecond = 1'000'000;
    std::int64_t step = 0;
    mutable std::int64_t now = 0;
    mutable int reads = 0;
};

TEST(cPrecTimer, CalibrationTakesTheCostOfAMeasurementOut)
{
    SteppingClock clock;
    clock.step = 3; // each mark 3 µs after the one before
    cPrecTimer timer(clock);
    EXPECT_EQ(clock.reads, 2000);

    timer.ResetTimer();
    timer.StopTimer();
    EXPECT_DOUBLE_EQ(timer.Elapsed(), 0.0);

    timer.ResetTimer();
    clock.now += 1'500; // 1.5 ms of work
    timer.StopTimer();
    EXPECT_DOUBLE_EQ(timer.Elapsed(), 1'500.0);
    EXPECT_DOUBLE_EQ(timer.Elapsed(), 1'500.0) << "reading it changes nothing";
    EXPECT_EQ(timer.ToString(QLocale(QLocale::English)), QStringLiteral("1,500.00 \u00B5s"));
}

TEST(cPrecTimer, AMeasurementCheaperThanTheAverageIsNegative)
{
    SteppingClock clock;
    clock.step = 2;
    cPrecTimer timer(clock);
    clock.step = 1;
    timer.ResetTimer();
    timer.StopTimer();
    EXPECT_DOUBLE_EQ(timer.Elapsed(), -1.0);
    EXPECT_EQ(timer.ToString(QLocale(QLocale::English)), QStringLiteral("-1.00 \u00B5s"));
}

TEST(cPrecTimer, WithoutACounterItReadsZeroAndNeverCalibrates)
{
    SteppingClock clock;
    clock.ticksPerSecond = 0;
    clock.step = 7;
    cPrecTimer timer(clock);
    EXPECT_EQ(clock.reads, 0);
    timer.ResetTimer();
    timer.StopTimer();
    EXPECT_EQ(timer.Elapsed(), 0.0);
    EXPECT_EQ(timer.ToString(QLocale(QLocale::English)), QStringLiteral(".00 \u00B5s"));
}

TEST(cPrecTimer, TextFollowsThePatternUnderTheUsersSeparators)
{
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    const QLocale german(QLocale::German, QLocale::Germany);
    const QLocale french(QLocale::French, QLocale::France);
    const QString unit = QStringLiteral(" \u00B5s");
    struct Case {
        double value;
        QLocale locale;
        QString text;
    };
    const Case cases[] = {
        {0.0, english, QStringLiteral(".00")},
        {0.5, english, QStringLiteral(".50")},
        {0.004, english, QStringLiteral(".00")},
        {1.0, english, QStringLiteral("1.00")},
        {999.999, english, QStringLiteral("1,000.00")},
        {1234.5, english, QStringLiteral("1,234.50")},
        {123456.0, english, QStringLiteral("123,456.00")},
        {1234567.891, english, QStringLiteral("1,234,567.89")},
        {-0.25, english, QStringLiteral("-.25")},
        {-1234.5, english, QStringLiteral("-1,234.50")},
        {1234567.891, german, QStringLiteral("1.234.567,89")},
        {1234.5, french, QStringLiteral("1") + french.groupSeparator() + QStringLiteral("234,50")},
    };
    for (const Case& each : cases)
        EXPECT_EQ(cPrecTimer::format(each.value, each.locale), each.text + unit) << each.value;
}

} // namespace
