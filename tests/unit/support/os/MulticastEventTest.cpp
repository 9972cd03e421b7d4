#include <quen/OsServices.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

namespace {

struct Calls {
    std::string order;
    CMulticastEvent* event = nullptr;
};

void CallA(void* p) { static_cast<Calls*>(p)->order += 'A'; }
void CallB(void* p) { static_cast<Calls*>(p)->order += 'B'; }
void SwapSelfForB(void* p)
{
    auto* calls = static_cast<Calls*>(p);
    calls->order += 'S';
    EXPECT_TRUE(calls->event->Unregister(&SwapSelfForB));
    EXPECT_TRUE(calls->event->Register(&CallB));
}

TEST(MulticastEvent, CallsEachOnceInOrderRefusesDuplicatesAndShowsListChangesFromTheNextFiring)
{
    CMulticastEvent event;
    Calls calls{"", &event};
    EXPECT_FALSE(event.Register(nullptr));
    ASSERT_TRUE(event.Register(&SwapSelfForB));
    ASSERT_TRUE(event.Register(&CallA));
    EXPECT_FALSE(event.Register(&CallA));
    event.FireEvent(&calls);
    event.FireEvent(&calls);
    EXPECT_EQ(calls.order, "SA" "AB");
}

TEST(MulticastEvent, FiresFromTwoThreadsWhileAThirdChangesTheList)
{
    CMulticastEvent event;
    ASSERT_TRUE(event.Register([](void* counted) { ++*static_cast<std::atomic<int>*>(counted); }));
    constexpr int kFirings = 2000;
    std::atomic<int> counted{0};
    auto fire = [&] {
        for (int i = 0; i < kFirings; ++i)
            event.FireEvent(&counted);
    };
    const auto ignore = +[](void*) {};
    std::thread first(fire);
    std::thread second(fire);
    for (int i = 0; i < kFirings; ++i) {
        event.Register(ignore);
        event.Unregister(ignore);
    }
    first.join();
    second.join();
    EXPECT_EQ(counted, 2 * kFirings);
}

}  // namespace
