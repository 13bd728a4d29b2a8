#include "auth/credentials_archive.h"

namespace vq {

void BuildCredentialsArchive(const TValueList& values, TZipFile& archive, MemoryStream& buffer) {
    archive.SetUncompressed(0, values.GetURLEncodedINI());
    buffer.Clear();
    archive.SaveToStream(buffer);
}

}  // namespace vq
