#include "tools/vq-probe/real_identity.h"

namespace vq::probe {

// Outside Windows there is no logon identity to read.
bool FillRealIdentity(TValueList&) { return false; }

}  // namespace vq::probe
