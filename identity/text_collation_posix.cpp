#include "identity/text_collation.h"

#include "formats/upper_case.h"

namespace vq {

namespace {

class UpperCaseCollation final : public TextCollation {
public:
    int Compare(std::u16string_view a, std::u16string_view b) const override {
        const int order = UpperCase(a).compare(UpperCase(b));
        return order < 0 ? -1 : (order > 0 ? 1 : 0);
    }
};

}  // namespace

const TextCollation& LocaleCollation() {
    static const UpperCaseCollation collation;  // holds no state
    return collation;
}

}  // namespace vq
