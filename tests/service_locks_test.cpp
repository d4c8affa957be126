// The file services' locks: each is taken and released around its work, so
// a second thread waits instead of racing.
#include "services/service_locks.h"

#include <gtest/gtest.h>

#include <thread>

using namespace ketrav::services;

TEST(ServiceLocks, ASecondThreadWaitsForTheLock) {
    int counter = 0;
    auto bump = [&] {
        for (int i = 0; i < 100000; ++i) os_call([&] { return ++counter; });
    };
    std::thread other(bump);
    bump();
    other.join();
    EXPECT_EQ(counter, 200000);
    // The three are distinct, and each is free again.
    EXPECT_NE(&open_lock(), &table_lock());
    EXPECT_NE(&table_lock(), &os_call_lock());
    LockHeld held_open(open_lock());
    LockHeld held_table(table_lock());
    LockHeld held_os(os_call_lock());
}
