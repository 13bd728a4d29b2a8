#pragma once
// The archive that a credentials POST carries.

#include "formats/byte_stream.h"
#include "formats/value_list.h"
#include "formats/zip_file.h"

namespace vq {

// Makes the value list's URL-encoded INI text the data of the archive's first entry ("dta") and
// writes the archive into the emptied buffer, from position 0.
void BuildCredentialsArchive(const TValueList& values, TZipFile& archive, MemoryStream& buffer);

}  // namespace vq
