#include <gtest/gtest.h>

#include "core/RandomSource.h"
#include "core/SparklePoint.h"

namespace lumora {
namespace {

TEST(RandomSource, KnownSequenceFromTheFixedStart)
{
    RandomSource random;
    const std::pair<std::uint32_t, float> expected[] = {
        {11837123u, 0.7055475f}, {8949370u, 0.533424f}, {9722709u, 0.5795186f}};
    for (const auto& [state, value] : expected) {
        EXPECT_NEAR(random.next(), value, 1e-7);
        EXPECT_EQ(random.state(), state);
    }
}

TEST(SparklePoint, RoundHalfEven)
{
    const std::pair<float, int> table[] = {{0.5f, 0},     {1.5f, 2},        {2.5f, 2},        {254.5f, 254},
                                           {253.5f, 254}, {0.49999997f, 0}, {0.50000006f, 1}, {254.99998f, 255},
                                           {-0.5f, 0},    {-1.5f, -2},      {-0.6f, -1}};
    for (const auto& [value, rounded] : table)
        EXPECT_EQ(roundHalfEven(value), rounded) << value;
}

TEST(SparklePoint, FirstPointUsesTheDrawsInOrder)
{
    RandomSource reference;
    float u[5];
    for (float& draw : u)
        draw = reference.next();

    RandomSource random;
    const float widths[] = {1000.0f, 3000.0f};
    int calls = 0;
    const SparklePoint p = chooseSparklePoint(random, [&] { return widths[calls++]; });
    // Each coordinate takes the width as it is when that coordinate is drawn.
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(p.x, u[3] * 1000.0f);
    EXPECT_EQ(p.y, u[4] * 3000.0f);
    const auto level = [](float draw) { return static_cast<std::uint32_t>(roundHalfEven(draw * 255.0f)); };
    EXPECT_EQ(p.colour, level(u[0]) + 256u * level(u[1]) + 65536u * level(u[2]));
    EXPECT_EQ(random.state(), reference.state());
}

TEST(SparklePoint, ColoursAndPlacesStayInRange)
{
    RandomSource random;
    RandomSource twin;
    int calls = 0;
    for (int i = 0; i < 20000; ++i) {
        const float width = i % 3 == 0 ? 0.0f : i % 3 == 1 ? 4800.0f : 7.0f;
        const SparklePoint p = chooseSparklePoint(random, [&] { return ++calls, width; });
        ASSERT_LE(p.colour, 0xFFFFFFu);
        if (width == 0.0f)
            ASSERT_TRUE(p.x == 0.0f && p.y == 0.0f);
        else
            ASSERT_TRUE(p.x >= 0.0f && p.x < width && p.y >= 0.0f && p.y < width) << p.x << "," << p.y;
        const SparklePoint q = chooseSparklePoint(twin, [&] { return width; });
        ASSERT_TRUE(p.colour == q.colour && p.x == q.x && p.y == q.y);
    }
    EXPECT_EQ(calls, 2 * 20000);
}

} // namespace
} // namespace lumora
