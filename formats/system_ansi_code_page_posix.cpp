#include "formats/ansi_code_page.h"

namespace vq {

// A system without an ANSI code page: every byte maps to the character of the same number, so
// keywords, account text and error text come out as on a Windows workstation.
const AnsiCodePage& SystemAnsiCodePage() { return Latin1CodePage(); }

}  // namespace vq
