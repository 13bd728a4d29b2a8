#pragma once
// A text in a byte stream as a length-prefixed record: a 32-bit little-endian byte length B,
// then B bytes. Written records hold the byte-order mark FF FE and UTF-16LE text; a record
// without the mark is 8-bit text in the ANSI code page.

#include <cstddef>
#include <string>
#include <string_view>

#include "formats/ansi_code_page.h"
#include "formats/byte_stream.h"

namespace vq {

// Writes the record of text; the result is the number of bytes written (4 + B). Raises
// EWriteError when the stream takes less.
std::size_t WriteStringToStream(ByteStream& stream, std::u16string_view text);

// Reads one record into text; the result is the number of bytes read (4 + B). A record that the
// stream does not hold whole raises EReadError before anything is allocated for it.
std::size_t ReadStringFromStream(ByteStream& stream, std::u16string& text,
                                 const AnsiCodePage& code_page = SystemAnsiCodePage());

}  // namespace vq
