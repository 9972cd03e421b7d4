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
    EXPECT_TRUE(event.Unregister(&CallA));
    EXPECT_FALSE(event.Unregister(&CallA));
}

std::atomic<int> g_counted{0};
void Count(void*) { ++g_counted; }
void Ignore(void*) {}

TEST(MulticastEvent, FiresFromTwoThreadsWhileAThirdChangesTheList)
{
    CMulticastEvent event;
    ASSERT_TRUE(event.Register(&Count));
    constexpr int kFirings = 2000;
    auto fire = [&] {
        for (int i = 0; i < kFirings; ++i)
            event.FireEvent(nullptr);
    };
    std::thread first(fire);
    std::thread second(fire);
    for (int i = 0; i < kFirings; ++i) {
        event.Register(&Ignore);
        event.Unregister(&Ignore);
    }
    first.join();
    second.join();
    EXPECT_EQ(g_counted, 2 * kFirings);
}

}  // namespace
