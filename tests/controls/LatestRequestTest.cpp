// The one way from a worker back to a control: only the latest request is
// taken, one look-up runs per key, quick work is taken in place.

#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

#include "controls/LatestRequest.h"
#include "support/TestSupport.h"

namespace lumora {
namespace {

// Work that goes on once it is let go, as a mount that answers late.
class Latch {
public:
    void open()
    {
        {
            const std::lock_guard lock(state_->mutex);
            state_->open = true;
        }
        state_->opened.notify_all();
    }
    std::shared_ptr<Pending<int>> start(int value) const
    {
        return Pending<int>::start([state = state_, value] {
            std::unique_lock lock(state->mutex);
            state->opened.wait(lock, [&] { return state->open; });
            return value;
        });
    }

private:
    struct State {
        std::mutex mutex;
        std::condition_variable opened;
        bool open = false;
    };
    std::shared_ptr<State> state_ = std::make_shared<State>();
};

struct LatestRequestTest : ::testing::Test {
    test::World world;
    QWidget widget;
    LatestRequest<int> request{world.runtime().errors, &widget, &widget};
    std::vector<int> taken;
    std::vector<int> begun;

    void ask(const std::string& key, const Latch& latch, int value)
    {
        request.ask(
            key,
            [&, latch, value](const StopFlag&) {
                begun.push_back(value);
                return latch.start(value);
            },
            [this](const int& v) { taken.push_back(v); }, {}, std::chrono::milliseconds(0));
    }
    bool settle()
    {
        return QTest::qWaitFor([&] { return !request.busy(); });
    }
};

TEST_F(LatestRequestTest, OnlyTheLatestIsTakenAndOneLookUpRunsPerKey)
{
    Latch stuck, elsewhere, same;
    ask("/nas", stuck, 1);
    EXPECT_TRUE(request.waiting());
    EXPECT_FALSE(widget.isEnabled());
    ask("/nas", same, 2); // waits behind the stuck look-up...
    ask("/nas", same, 3); // ...and is replaced before it begins
    EXPECT_EQ(begun, std::vector<int>{1});

    ask("/local", elsewhere, 4); // another folder begins at once
    EXPECT_EQ(begun, (std::vector<int>{1, 4}));
    elsewhere.open();
    ASSERT_TRUE(settle());
    EXPECT_EQ(taken, std::vector<int>{4});
    EXPECT_TRUE(widget.isEnabled());

    ask("/nas", same, 5);
    EXPECT_EQ(begun, (std::vector<int>{1, 4}));
    same.open();
    stuck.open(); // its outcome is dropped; the one waiting begins
    ASSERT_TRUE(settle());
    EXPECT_EQ(begun, (std::vector<int>{1, 4, 5}));
    EXPECT_EQ(taken, (std::vector<int>{4, 5}));
}

TEST_F(LatestRequestTest, WorkDoneWithinItsPatienceIsTakenInPlace)
{
    request.ask(
        {}, [](const StopFlag&) { return Pending<int>::ready(7); }, [this](const int& v) { taken.push_back(v); }, {},
        std::chrono::milliseconds(0));
    EXPECT_EQ(taken, std::vector<int>{7});
    EXPECT_FALSE(request.busy());

    const auto failing = [](const StopFlag&) {
        return Pending<int>::start([]() -> int { throw RuntimeError(err::PathNotFound, "gone"); });
    };
    int failures = 0;
    request.ask(
        {}, failing, [this](const int& v) { taken.push_back(v); },
        [&](const RuntimeError& e) { failures += e.number() == err::PathNotFound; }, std::chrono::milliseconds(10000));
    EXPECT_EQ(failures, 1);
    // Without a failure path it is an error no handler trapped: the caller's.
    EXPECT_EQ(test::errorNumber([&] {
                  request.ask(
                      {}, failing, [](const int&) {}, {}, std::chrono::milliseconds(10000));
              }),
              err::PathNotFound);
    EXPECT_EQ(taken, std::vector<int>{7});
}

} // namespace
} // namespace lumora
