#pragma once

#include <cstdint>

#include <QString>

class QLocale;

namespace platform {
class Clock;
}

namespace converter {

// A stopwatch on the high-resolution counter, in microseconds, with the cost
// of taking a measurement calibrated once and taken out of every result.
class cPrecTimer {
public:
    explicit cPrecTimer(const platform::Clock& clock);

    void ResetTimer();
    void StopTimer();
    // Microseconds between the two marks less the overhead; 0 without a
    // counter.
    double Elapsed() const;
    // Elapsed as "###,###.00 µs" with the user's separators.
    QString ToString() const;
    QString ToString(const QLocale& locale) const;

    // The text form of any value, for the same pattern.
    static QString format(double microseconds, const QLocale& locale);

private:
    static constexpr int kCalibrationCycles = 1000;

    const platform::Clock& m_clock;
    std::int64_t m_frequency = 0;
    std::int64_t m_start = 0;
    std::int64_t m_stop = 0;
    double m_overhead = 0.0;
};

} // namespace converter
