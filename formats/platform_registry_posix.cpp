#include "formats/registry.h"

namespace vq {

namespace {

// Systems without a registry: every key is missing and none can be created, so registry reads
// fall back to their defaults and writes report that the key could not be opened.
class AbsentRegistry final : public Registry {
public:
    std::unique_ptr<RegistryKey> OpenKey(RegistryRoot, std::u16string_view, bool, bool) override {
        return nullptr;
    }
};

}  // namespace

Registry& PlatformRegistry() {
    static AbsentRegistry registry;  // holds no state
    return registry;
}

}  // namespace vq
