#pragma once

// The program's two ways of meeting a failure inside a handler.
//
// Skip: each step is guarded; a step that fails is passed over, nothing is
// shown, and the next step runs.
// Report: the handler has no handling of its own; the first failure ends it
// and a modal box titled with the program's title says "Run-time error" and
// why. The program keeps running either way.
//
// A step signals failure by throwing RuntimeError (or any std::exception,
// which is treated the same).

#include <functional>
#include <initializer_list>
#include <stdexcept>

#include <QString>

class QWidget;

namespace platform {

class MessageBox;

inline constexpr const char* kProgramTitle = "TVK";

class RuntimeError : public std::runtime_error {
public:
    explicit RuntimeError(const QString& reason);
    QString reason() const;
};

using Step = std::function<void()>;

// Runs every step in order; returns how many of them failed.
int runSkippingFailures(std::initializer_list<Step> steps);

// Runs the handler; on failure reports it and returns false.
bool runReportingFailure(MessageBox& messageBox, QWidget* owner, const Step& handler);

} // namespace platform
