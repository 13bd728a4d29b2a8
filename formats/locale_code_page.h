#pragma once
// The ANSI code page a Windows workstation in a locale would have, for systems that have no such
// code page of their own (Linux): the access server reads and writes the text of a Russian
// workstation in Windows-1251, and a Russian Linux desktop must send the same bytes.

#include <string_view>

#include "formats/ansi_code_page.h"

namespace vq {

// The locale name as POSIX writes it ("ru_RU.UTF-8", "uk_UA", "C"): Windows-1251 for the
// languages Windows writes in Cyrillic (Russian, Ukrainian, Belarusian, Bulgarian, Macedonian,
// Serbian in Cyrillic, Kazakh, Kyrgyz, Tatar, Bashkir, Yakut, Mongolian), Latin-1 otherwise.
const AnsiCodePage& CodePageForLocale(std::string_view locale);

}  // namespace vq
