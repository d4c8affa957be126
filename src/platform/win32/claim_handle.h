// Windows only: the handle of the directory claim, which every helper the
// run starts gets a copy of, so that the claim lasts until the last of them
// has ended.
#pragma once

#include <windows.h>

namespace ketrav::platform::win32 {

// The claim's handle, or INVALID_HANDLE_VALUE when none is held.
HANDLE claim_handle();
// Called for every handle closed: the claim's, closed, is held no more.
void forget_claim_handle(HANDLE closed);

}  // namespace ketrav::platform::win32
