#include "auth/credentials_archive.h"

#include <string>

#include "auth/wire_strings.h"

namespace vq {

void BuildCredentialsArchive(const TValueList& values, TZipFile& archive, MemoryStream& buffer) {
    archive.SetUncompressed(0, values.GetURLEncodedINI());
    buffer.Clear();
    archive.SaveToStream(buffer);
}

CredentialsArchive::CredentialsArchive() { archive_.AddFile(std::string(wire::kEntryName), 0); }

std::string_view CredentialsArchive::Build(const TValueList& values) {
    BuildCredentialsArchive(values, archive_, buffer_);
    return buffer_.Bytes();
}

void CredentialsArchive::Forget() { archive_.SetUncompressed(0, {}); }

}  // namespace vq
