#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "platform/Failure.h"
#include "support/FakePlatform.h"

using platform::RuntimeError;

TEST(SkippingFailures, EveryStepRunsAndNothingIsShown)
{
    std::vector<int> ran;
    const int failures = platform::runSkippingFailures({
        [&] { ran.push_back(1); },
        [&] {
            ran.push_back(2);
            throw RuntimeError(QStringLiteral("Device unavailable"));
        },
        [&] {
            ran.push_back(3);
            throw std::runtime_error("any failure");
        },
        [&] { ran.push_back(4); },
    });
    EXPECT_EQ(ran, (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(failures, 2);
}

TEST(ReportingFailure, FirstFailureEndsTheHandlerAndIsReportedOnce)
{
    fakes::FakeMessageBox box;
    std::vector<int> ran;
    const bool completed = platform::runReportingFailure(box, nullptr, [&] {
        ran.push_back(1);
        throw RuntimeError(QStringLiteral("Path not found"));
        ran.push_back(2);
    });
    EXPECT_FALSE(completed);
    EXPECT_EQ(ran, std::vector<int>{1});
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_TRUE(box.shown[0].text.startsWith(QStringLiteral("Run-time error")));
    EXPECT_TRUE(box.shown[0].text.contains(QStringLiteral("Path not found")));
    EXPECT_EQ(box.shown[0].title, QStringLiteral("TVK"));
    EXPECT_EQ(box.shown[0].icon, platform::MsgIcon::Critical);
}

TEST(ReportingFailure, SuccessShowsNothing)
{
    fakes::FakeMessageBox box;
    EXPECT_TRUE(platform::runReportingFailure(box, nullptr, [] {}));
    EXPECT_TRUE(box.shown.empty());
}
