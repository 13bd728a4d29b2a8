#include "identity/name_service_identity.h"
#include "identity/system_name_service_posix.h"
#include "identity/user_identity.h"
#include "identity/winbind_domain_name_posix.h"
#include "tools/vq-probe/real_identity.h"

namespace vq::probe {

// The logged-on user from the name service, the domain's short name from winbind. The probe
// reads no configuration file, so a system where only a setting names the domain (SSSD) has no
// "DOMAIN\user" to give here: the probe then takes the identity from its own options.
bool FillRealIdentity(TValueList& values) {
    const auto names = SystemNameService();
    WinbindDomainName winbind;
    NameServiceIdentity identity(*names, winbind, LoggedOnUserId());
    identity.HandleAuthNeedData(values);
    return !values.GetItem(kUserNameEntry).empty();
}

}  // namespace vq::probe
