// The locks' single instances.
#include "services/service_locks.h"

namespace ketrav::services {

ServiceLock& open_lock() {
    static ServiceLock lock;
    return lock;
}

ServiceLock& table_lock() {
    static ServiceLock lock;
    return lock;
}

ServiceLock& os_call_lock() {
    static ServiceLock lock;
    return lock;
}

}  // namespace ketrav::services
