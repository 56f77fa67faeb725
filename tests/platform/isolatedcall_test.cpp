#include "platform/isolatedcall.h"

#include <csignal>
#include <cstdlib>

#include <unistd.h>

#include <gtest/gtest.h>

namespace {

TEST(IsolatedCallTest, ReportsHowTheChildEnded)
{
    EXPECT_EQ(runIsolated([] { return true; }, 5000), IsolatedResult::Succeeded);
    EXPECT_EQ(runIsolated([] { return false; }, 5000), IsolatedResult::Failed);
    EXPECT_EQ(runIsolated([]() -> bool { std::raise(SIGSEGV); return true; }, 5000),
              IsolatedResult::Crashed);
    EXPECT_EQ(runIsolated([]() -> bool { std::raise(SIGFPE); return true; }, 5000),
              IsolatedResult::Crashed);
    EXPECT_EQ(runIsolated([]() -> bool { std::abort(); }, 5000), IsolatedResult::Crashed);
    EXPECT_EQ(runIsolated([]() -> bool { throw 42; }, 5000), IsolatedResult::Failed);
}

TEST(IsolatedCallTest, KillsAChildThatHangs)
{
    EXPECT_EQ(runIsolated([]() -> bool { for (;;) pause(); }, 100), IsolatedResult::TimedOut);
}

TEST(IsolatedCallTest, TheChildCannotChangeTheCaller)
{
    int value = 1;
    EXPECT_EQ(runIsolated([&value] { value = 2; return true; }, 5000), IsolatedResult::Succeeded);
    EXPECT_EQ(value, 1);
}

} // namespace
