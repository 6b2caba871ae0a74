// The render loop's tick and rates, on a clock the tests set.
#include "platform/render/RenderRates.h"

#include <gtest/gtest.h>

namespace lumora::render {
namespace {

struct FakeClock {
    double Now = 0;
    std::function<double()> Reader() {
        return [this] { return Now; };
    }
};

TEST(RenderRates, ThirtyFramesInOnePointTwoSecondsShowTwentyFive) {
    FakeClock clock;
    TRenderRates rates(clock.Reader());
    clock.Now = 100.0;
    ASSERT_TRUE(rates.UpdateRates(0)); // the first call after start reports at once
    for (int frame = 1; frame <= 29; ++frame) {
        clock.Now = 100.0 + 0.03 * frame; // 0.87 s at most: no rates yet
        EXPECT_FALSE(rates.UpdateRates(frame * 1000u));
    }
    clock.Now = 101.2;
    ASSERT_TRUE(rates.UpdateRates(30000));
    EXPECT_NEAR(rates.FramesPerSecond(), 25.0, 1e-9);
    EXPECT_EQ(FramesPerSecondText(rates.FramesPerSecond()), "25");
    EXPECT_NEAR(rates.TrianglesPerSecond(), 25000.0, 1e-6);
    EXPECT_EQ(TrianglesPerSecondText(rates.TrianglesPerSecond()), "25,000");
}

TEST(RenderRates, TriangleDifferenceIsTakenAcrossTheCounterWrap) {
    FakeClock clock;
    TRenderRates rates(clock.Reader());
    clock.Now = 10;
    rates.UpdateRates(0xFFFFFF00u);
    clock.Now = 12;
    ASSERT_TRUE(rates.UpdateRates(0x100u)); // 0x200 triangles later
    EXPECT_DOUBLE_EQ(rates.TrianglesPerSecond(), 0x200 / 2.0);
}

TEST(RenderRates, TickCountsOneMillisecondAfterLongPausesAndClockWraps) {
    FakeClock clock;
    TRenderRates rates(clock.Reader());
    clock.Now = 5.0;
    rates.Tick();
    clock.Now = 5.25;
    rates.Tick();
    EXPECT_DOUBLE_EQ(rates.TickDelta(), 0.25);
    clock.Now = 6.5; // more than a second
    rates.Tick();
    EXPECT_DOUBLE_EQ(rates.TickDelta(), 0.001);
    rates.Tick(); // the same reading
    EXPECT_DOUBLE_EQ(rates.TickDelta(), 0.001);
    clock.Now = 0.2; // the counter wrapped
    rates.Tick();
    EXPECT_DOUBLE_EQ(rates.TickDelta(), 0.001);
    clock.Now = 1.2; // exactly one second is still counted
    rates.Tick();
    EXPECT_DOUBLE_EQ(rates.TickDelta(), 1.0);
}

TEST(RenderRates, ClockWrapsAsAThirtyTwoBitMicrosecondCounter) {
    const std::uint64_t frequency = 1000000;
    EXPECT_DOUBLE_EQ(ClockSecondsFromCounter(2500000, frequency), 2.5);
    const std::uint64_t wrap = 4294967296ull; // microseconds
    EXPECT_DOUBLE_EQ(ClockSecondsFromCounter(wrap + 1000000, frequency), 1.0);
    EXPECT_NEAR(ClockSecondsFromCounter(wrap - 1, frequency), 4294.967295, 1e-9);
    EXPECT_DOUBLE_EQ(ClockSecondsFromCounter(3 * 3579545ull, 3579545), 3.0);
}

TEST(RenderRates, TrianglesPerSecondTextGroupsThousands) {
    EXPECT_EQ(TrianglesPerSecondText(48210.4), "48,210");
    EXPECT_EQ(TrianglesPerSecondText(999), "999");
    EXPECT_EQ(TrianglesPerSecondText(1234567), "1,234,567");
    EXPECT_EQ(TrianglesPerSecondText(0), "0");
    EXPECT_EQ(FramesPerSecondText(23.6), "24");
}

} // namespace
} // namespace lumora::render
