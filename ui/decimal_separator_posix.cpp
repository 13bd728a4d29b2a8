#include "ui/decimal_separator.h"

namespace vq {

// Builds outside Windows serve the tests and tools only; they use the C locale's point.
char16_t LocaleDecimalSeparator() { return u'.'; }

}  // namespace vq
