// POSIX only: errno values turned into Windows system error codes.
#pragma once

#include "platform/os_status.h"

namespace ketrav::platform {

// The one place where the POSIX backend maps errno; the sharing violation
// (a lock held by another open) keeps a code of its own.
OsError os_error_from_errno(int errno_value);

namespace posix {
// A failed call's errno as a status.
OsStatus errno_status();
}  // namespace posix

}  // namespace ketrav::platform
