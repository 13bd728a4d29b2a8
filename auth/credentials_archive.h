#pragma once
// The archive that a credentials POST carries.

#include <string_view>

#include "formats/byte_stream.h"
#include "formats/value_list.h"
#include "formats/zip_file.h"

namespace vq {

// Makes the value list's URL-encoded INI text the data of the archive's first entry ("dta") and
// writes the archive into the emptied buffer, from position 0.
void BuildCredentialsArchive(const TValueList& values, TZipFile& archive, MemoryStream& buffer);

// The archive with its one entry "dta" and the buffer it is written into, kept from one POST to
// the next as the client keeps them.
class CredentialsArchive {
public:
    CredentialsArchive();

    // The archive's bytes with values as the entry's data; valid until the next call.
    std::string_view Build(const TValueList& values);
    // Empties the entry's data, so that what was sent is not kept.
    void Forget();

private:
    MemoryStream buffer_;
    TZipFile archive_;
};

}  // namespace vq
