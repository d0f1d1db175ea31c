#pragma once

// Runs a program as a child under the limits the battery holds movies to,
// and says how it went.

#include <string>
#include <vector>

namespace hostile {

struct RunLimits {
    unsigned long long addressSpace = 0; // bytes
    int wallClockMs = 0;
};

struct RunResult {
    bool started = false;
    int exitCode = -1;   // when it exited
    int signal = 0;      // when a signal ended it
    bool timedOut = false;
    double seconds = 0;
    long peakKb = 0;     // its largest resident size
    std::string stderrTail;
};

// `arguments[0]` is the program's path. Its standard output goes nowhere,
// its standard error to a file of which the last line or so is kept; past
// the wall clock it is killed.
RunResult runLimited(const std::vector<std::string>& arguments, const RunLimits& limits, const std::string& scratchDir);

} // namespace hostile
