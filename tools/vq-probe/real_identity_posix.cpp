#include "identity/config_sources_posix.h"
#include "identity/configured_domain_name.h"
#include "identity/name_service_identity.h"
#include "identity/system_name_service_posix.h"
#include "identity/user_identity.h"
#include "identity/winbind_domain_name_posix.h"
#include "tools/vq-probe/real_identity.h"

namespace vq::probe {

// The logged-on user from the name service, the domain's short name as the tray program finds it:
// the system file's setting ([identity] Domain= in /etc/vq/vq.ini), else winbind.
bool FillRealIdentity(TValueList& values) {
    const PosixConfigSources sources({});
    const auto names = SystemNameService();
    WinbindDomainName winbind;
    ConfiguredDomainName domain(sources, winbind);
    NameServiceIdentity identity(*names, domain, LoggedOnUserId());
    identity.HandleAuthNeedData(values);
    return !values.GetItem(kUserNameEntry).empty();
}

}  // namespace vq::probe
