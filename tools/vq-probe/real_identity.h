#pragma once
// The logged-on user's own identity for the server's request for credentials, where the
// platform has one.

#include "formats/value_list.h"

namespace vq::probe {

// Fills username, groups and dname as the tray program does; false where the platform has no
// domain identity to give.
bool FillRealIdentity(TValueList& values);

}  // namespace vq::probe
