#include <windows.h>

#include "identity/com_initialization_win32.h"
#include "identity/identity_platform_win32.h"
#include "identity/user_identity.h"
#include "tools/vq-probe/real_identity.h"

namespace vq::probe {

// The worker's thread asks here, so the directory's component objects are initialised on it,
// once, for the thread's life.
bool FillRealIdentity(TValueList& values) {
    thread_local ComInitialization com;
    Win32IdentityPlatform platform;
    HandleAuthNeedData(platform, values);
    return true;
}

}  // namespace vq::probe
