// The run's claim on its directory, over the OS layer's.
#include "services/directory_claim.h"

#include "platform/directory_claim.h"
#include "services/held_claim.h"
#include "services/run_time_errors.h"
#include "services/service_locks.h"

namespace ketrav::services {
namespace {

platform::OsHandle claim;

}  // namespace

platform::OsHandle held_claim() { return claim; }

bool claim_directory(const std::string& lock_name) {
    if (claim.valid()) return true;
    platform::OsStatus claimed = os_call([&] { return platform::claim_current_directory(lock_name, claim); });
    if (claimed.ok) return true;
    record_error(os_error_code(claimed.error));
    return false;
}

void release_directory() {
    if (!claim.valid()) return;
    // A close refused leaves the claim held, and accounted for here.
    os_call([&] { return platform::release_directory_claim(claim); });
}

}  // namespace ketrav::services
