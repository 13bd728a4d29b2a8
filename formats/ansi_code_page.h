#pragma once
// The workstation's ANSI code page: the 8-bit text of URL-encoded INI files, of the answer's
// line list and of ANSI stream records goes through it.

#include <array>
#include <utility>
#include <string>
#include <string_view>

namespace vq {

class AnsiCodePage {
public:
    virtual ~AnsiCodePage() = default;
    virtual std::u16string Decode(std::string_view bytes) const = 0;
    // Characters the code page lacks become "?".
    virtual std::string Encode(std::u16string_view text) const = 0;
};

// A single-byte code page given by the characters of its 256 bytes.
class SingleByteCodePage final : public AnsiCodePage {
public:
    explicit SingleByteCodePage(const std::array<char16_t, 256>& characters);
    std::u16string Decode(std::string_view bytes) const override;
    std::string Encode(std::u16string_view text) const override;

private:
    std::array<char16_t, 256> characters_;
    // (character, byte) sorted by character, for encoding by binary search; of two bytes with
    // the same character the lower one wins.
    std::array<std::pair<char16_t, unsigned char>, 256> bytes_by_character_;
    // Whether bytes 0..0x7F are the ASCII characters of the same numbers, as in every ANSI code
    // page: then those characters are encoded without a search.
    bool ascii_as_is_ = false;
};

// Every byte is the character of the same number: the code page of systems that have none.
const AnsiCodePage& Latin1CodePage();
// Windows-1251, the ANSI code page of a Russian workstation.
const AnsiCodePage& Windows1251CodePage();
// The workstation's own: CP_ACP on Windows, Latin-1 elsewhere.
const AnsiCodePage& SystemAnsiCodePage();

}  // namespace vq
