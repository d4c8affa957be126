// The three locks of the file services. The run has one thread, so they are
// never contended; they keep the services sound should a second thread call.
#pragma once

#include <atomic>

namespace ketrav::services {

// A single word taken by an atomic exchange and released by a plain store.
class ServiceLock {
   public:
    void take() {
        while (word_.exchange(true, std::memory_order_acquire)) {
        }
    }
    void release() { word_.store(false, std::memory_order_release); }

   private:
    std::atomic<bool> word_{false};
};

class LockHeld {
   public:
    explicit LockHeld(ServiceLock& lock) : lock_(lock) { lock_.take(); }
    ~LockHeld() { lock_.release(); }
    LockHeld(const LockHeld&) = delete;
    LockHeld& operator=(const LockHeld&) = delete;

   private:
    ServiceLock& lock_;
};

// Held by an open from its first step to its last.
ServiceLock& open_lock();
// Held while the file table is searched or changed, never across an OS call.
ServiceLock& table_lock();
// Held across each OS call.
ServiceLock& os_call_lock();

// Runs one OS call under the OS-call lock.
template <class Call>
auto os_call(Call call) {
    LockHeld held(os_call_lock());
    return call();
}

}  // namespace ketrav::services
