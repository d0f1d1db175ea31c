#include "converter/cPrecTimer.h"

#include <QLocale>

#include "platform/Clock.h"

namespace converter {

cPrecTimer::cPrecTimer(const platform::Clock& clock)
    : m_clock(clock)
    , m_frequency(clock.frequency())
{
    if (m_frequency <= 0)
        return;
    // The overhead must still be 0 while it is being measured, so that each
    // cycle yields its raw cost.
    double sum = 0.0;
    for (int cycle = 0; cycle < kCalibrationCycles; ++cycle) {
        ResetTimer();
        StopTimer();
        sum += Elapsed();
    }
    m_overhead = sum / kCalibrationCycles;
}

void cPrecTimer::ResetTimer()
{
    m_start = m_clock.counter();
}

void cPrecTimer::StopTimer()
{
    m_stop = m_clock.counter();
}

double cPrecTimer::Elapsed() const
{
    if (m_frequency <= 0)
        return 0.0;
    return double(m_stop - m_start) * 1'000'000.0 / double(m_frequency) - m_overhead;
}

QString cPrecTimer::ToString() const
{
    return ToString(QLocale());
}

QString cPrecTimer::ToString(const QLocale& locale) const
{
    return format(Elapsed(), locale);
}

QString cPrecTimer::format(double microseconds, const QLocale& locale)
{
    const QString digits = QString::number(microseconds < 0 ? -microseconds : microseconds, 'f', 2);
    const qsizetype point = digits.indexOf(QLatin1Char('.'));
    QString whole = digits.left(point);
    // "###" placeholders print no leading zero: 0.5 reads ".50".
    if (whole == QLatin1String("0"))
        whole.clear();
    for (qsizetype group = whole.size() - 3; group > 0; group -= 3)
        whole.insert(group, locale.groupSeparator());

    QString text;
    if (microseconds < 0)
        text += locale.negativeSign();
    text += whole + locale.decimalPoint() + digits.mid(point + 1);
    text += QStringLiteral(" \u00B5s");
    return text;
}

} // namespace converter
