// Private to the services: the directory claim's handle while the run
// holds it, which the command runner hands to every helper it starts.
#pragma once

#include "platform/os_status.h"

namespace ketrav::services {

// The claim's handle; not valid when no claim is held.
platform::OsHandle held_claim();

}  // namespace ketrav::services
