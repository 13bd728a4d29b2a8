#include "formats/value_list.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "formats/errors.h"
#include "formats/string_stream.h"
#include "formats/text_lines.h"
#include "formats/upper_case.h"
#include "formats/url_encoding.h"
#include "formats/utf8.h"

namespace vq {

namespace {

// A text file as Unicode: a UTF-8 or UTF-16 byte-order mark selects that encoding, otherwise
// the bytes are ANSI text.
std::u16string DecodeTextFile(std::string_view bytes, const AnsiCodePage& code_page) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") return Utf8ToUtf16(bytes.substr(3));
    const bool little = bytes.substr(0, 2) == "\xFF\xFE";
    if (little || bytes.substr(0, 2) == "\xFE\xFF") {
        std::u16string text((bytes.size() - 2) / 2, u'\0');
        for (std::size_t i = 0; i < text.size(); ++i) {
            const auto first = static_cast<unsigned char>(bytes[2 + 2 * i]);
            const auto second = static_cast<unsigned char>(bytes[3 + 2 * i]);
            text[i] = static_cast<char16_t>(little ? first | (second << 8) : (first << 8) | second);
        }
        return text;
    }
    return code_page.Decode(bytes);
}

std::u16string Widen(std::string_view ascii) { return std::u16string(ascii.begin(), ascii.end()); }

}  // namespace

TValueList::TValueList(const AnsiCodePage& code_page, Registry& registry)
    : code_page_(code_page), registry_(registry) {}

TValueList::~TValueList() {
    try {
        Clear();
    } catch (...) {
        // An OnChange handler that raises must not end the program from a destructor.
    }
}

void TValueList::Changed() {
    if (on_change_) on_change_(*this);
}

void TValueList::CheckIndex(int index) const {
    if (index < 0 || index >= GetCount())
        throw EListError("List index out of bounds (" + std::to_string(index) + ")");
}

void TValueList::Append(std::u16string name, std::u16string value) {
    entries_.push_back(
        Entry{std::move(name), TValueListString{std::move(value), nullptr, nullptr}});
    // Appending moves no other entry, so a valid index only gains this name (the later of two
    // equal names wins). Should that fail, the index is rebuilt on the next lookup.
    if (index_valid_) {
        index_valid_ = false;
        index_.insert_or_assign(UpperCase(entries_.back().name), GetCount() - 1);
        index_valid_ = true;
    }
}

int TValueList::Add(std::u16string_view name, std::u16string_view value) {
    if (name.empty()) return -1;
    if (const int index = IndexOfName(name); index >= 0) {
        const std::u16string old_value = entries_[index].data.Value;
        ValueChanging(name, value, old_value);
        // ValueChanging may be overridden; find the entry again rather than trust the index.
        if (const int current = IndexOfName(name); current >= 0) SetValue(current, value);
        return -1;
    }
    ValueChanging(name, value, u"");
    Append(std::u16string(name), std::u16string(value));
    const int added = GetCount() - 1;
    Changed();
    return added;
}

void TValueList::SetItem(std::u16string_view name, std::u16string_view value) { Add(name, value); }

std::u16string TValueList::GetItem(std::u16string_view name) const {
    const int index = IndexOfName(name);
    return index < 0 ? std::u16string() : entries_[index].data.Value;
}

std::u16string TValueList::GetName(int index) const {
    CheckIndex(index);
    return entries_[index].name;
}

std::u16string TValueList::GetValue(int index) const {
    CheckIndex(index);
    return entries_[index].data.Value;
}

void TValueList::SetValue(int index, std::u16string_view value) {
    CheckIndex(index);
    auto& stored = entries_[index].data.Value;
    if (stored == value) return;
    stored = value;
    Changed();
}

int TValueList::IndexOfName(std::u16string_view name) const {
    if (!index_valid_) {
        index_.clear();
        for (int i = 0; i < GetCount(); ++i)
            index_.insert_or_assign(UpperCase(entries_[i].name), i);
        index_valid_ = true;
    }
    const auto found = index_.find(UpperCase(name));
    return found == index_.end() ? -1 : found->second;
}

int TValueList::IndexOfValue(std::u16string_view value) const {
    for (int i = 0; i < GetCount(); ++i)
        if (entries_[i].data.Value == value) return i;
    return -1;
}

void TValueList::Delete(std::u16string_view name) {
    const int index = IndexOfName(name);
    if (index < 0) return;
    // Taken out first: freeing the sub-list runs its own handlers, which must see this list
    // consistent.
    Entry removed = std::move(entries_[index]);
    entries_.erase(entries_.begin() + index);
    index_valid_ = false;
    removed = Entry{};
    Changed();
}

void TValueList::Clear() {
    std::vector<Entry> removed;
    removed.swap(entries_);
    index_.clear();
    index_valid_ = true;
    removed.clear();
    Changed();
}

TValueList* TValueList::GetSubItem(std::u16string_view name) const {
    const int index = IndexOfName(name);
    return index < 0 ? nullptr : entries_[index].data.SubItem.get();
}

int TValueList::IndexOrAdd(std::u16string_view name) {
    if (const int index = IndexOfName(name); index >= 0) return index;
    Add(name, u"");
    return IndexOfName(name);  // still -1 for an empty name
}

void TValueList::SetSubItem(std::u16string_view name, std::unique_ptr<TValueList> sub_item) {
    const int index = IndexOrAdd(name);
    if (index < 0) return;
    // Swapped out before the old one is freed, for the same reason as in Delete.
    std::swap(entries_[index].data.SubItem, sub_item);
}

void* TValueList::GetObject(std::u16string_view name) const {
    const int index = IndexOfName(name);
    return index < 0 ? nullptr : entries_[index].data.Object;
}

void TValueList::SetObject(std::u16string_view name, void* object) {
    const int index = IndexOrAdd(name);
    if (index >= 0) entries_[index].data.Object = object;
}

void TValueList::AddValuesFrom(const TValueList& source) {
    // A snapshot, so that adding from this list itself, or handlers that change the source,
    // cannot disturb the walk.
    std::vector<std::pair<std::u16string, std::u16string>> pairs;
    pairs.reserve(source.entries_.size());
    for (const auto& entry : source.entries_) pairs.emplace_back(entry.name, entry.data.Value);
    for (const auto& [name, value] : pairs) Add(name, value);
}

void TValueList::Assign(const TValueList& source) {
    if (&source == this) {
        // Clearing first would lose the very entries to be copied.
        TValueList copy(code_page_, registry_);
        copy.AddValuesFrom(*this);
        Clear();
        AddValuesFrom(copy);
        return;
    }
    Clear();
    AddValuesFrom(source);
}

std::string TValueList::GetURLEncodedINI() const {
    std::u16string text;
    for (const auto& entry : entries_) {
        text += entry.name;
        text += u'=';
        text += Widen(URLEncode(Utf16ToUtf8(entry.data.Value)));
        text += u"\r\n";
    }
    return code_page_.Encode(text);
}

void TValueList::SetURLEncodedINI(std::string_view text, TextCoding coding) {
    const std::u16string unicode =
        coding == TextCoding::Utf8 ? Utf8ToUtf16(text) : code_page_.Decode(text);
    for (const auto line : SplitLines(unicode)) {
        if (line.find(u'=') == std::u16string_view::npos) continue;
        // The line goes through the ANSI code page as a whole: the name comes back as that code
        // page shows it, the value is escaped UTF-8 and decodes from the bytes.
        const std::string ansi = code_page_.Encode(line);
        const auto equals = ansi.find('=');
        if (equals == std::string::npos) continue;  // a code page that dropped it
        const std::u16string name = code_page_.Decode(std::string_view(ansi).substr(0, equals));
        const std::u16string value =
            Utf8ToUtf16(URLDecode(std::string_view(ansi).substr(equals + 1)));
        Add(name, value);
    }
}

void TValueList::SaveAsURLEncodedINI(const std::filesystem::path& file_name) const {
    WriteFileBytes(file_name, GetURLEncodedINI());
}

void TValueList::LoadAsURLEncodedINI(const std::filesystem::path& file_name) {
    Clear();
    const std::u16string text = DecodeTextFile(ReadFileBytes(file_name), code_page_);
    std::u16string joined;
    for (const auto line : SplitLines(text)) {
        joined += line;
        joined += u"\r\n";
    }
    SetURLEncodedINI(code_page_.Encode(joined), TextCoding::Ansi);
}

std::size_t TValueList::WriteToStream(ByteStream& stream) const {
    const auto count = static_cast<std::uint32_t>(entries_.size());
    const unsigned char header[4] = {
        static_cast<unsigned char>(count), static_cast<unsigned char>(count >> 8),
        static_cast<unsigned char>(count >> 16), static_cast<unsigned char>(count >> 24)};
    stream.WriteBuffer(header, sizeof header);
    std::size_t written = sizeof header;
    for (const auto& entry : entries_) {
        written += WriteStringToStream(stream, entry.name);
        written += WriteStringToStream(stream, entry.data.Value);
    }
    return written;
}

std::size_t TValueList::ReadFromStream(ByteStream& stream) {
    Clear();
    unsigned char header[4];
    stream.ReadBuffer(header, sizeof header);
    std::size_t read = sizeof header;
    const auto count = static_cast<std::int32_t>(header[0] | (header[1] << 8) | (header[2] << 16) |
                                                 (static_cast<std::uint32_t>(header[3]) << 24));
    if (count <= 0) return read;

    // Each entry takes at least two 4-byte lengths, so a forged count cannot reserve more than
    // the stream could fill; a count the stream does not hold ends in EReadError.
    constexpr std::uint64_t kSmallestEntry = 8;
    entries_.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(
        static_cast<std::uint64_t>(count), stream.Remaining() / kSmallestEntry)));
    for (std::int32_t i = 0; i < count; ++i) {
        std::u16string name;
        std::u16string value;
        read += ReadStringFromStream(stream, name, code_page_);
        read += ReadStringFromStream(stream, value, code_page_);
        Append(std::move(name), std::move(value));
    }
    return read;
}

std::size_t TValueList::WriteToFile(const std::filesystem::path& file_name) const {
    MemoryStream buffer;
    const std::size_t written = WriteToStream(buffer);
    WriteFileBytes(file_name, buffer.Bytes());
    return written;
}

std::size_t TValueList::ReadFromFile(const std::filesystem::path& file_name) {
    FileStream file(file_name, FileStream::Mode::OpenRead);
    return ReadFromStream(file);
}

bool TValueList::WriteToReg(std::u16string_view key, RegistryRoot root) const {
    const auto opened = registry_.OpenKey(root, key.empty() ? def_reg_key_ : key, true, true);
    if (!opened) return false;
    for (const auto& entry : entries_) opened->WriteString(entry.name, entry.data.Value);
    return true;
}

bool TValueList::ReadFromReg(std::u16string_view key, RegistryRoot root) {
    const auto opened = registry_.OpenKey(root, key.empty() ? def_reg_key_ : key, false, false);
    if (!opened) return false;

    // The values read must not be written back through the live copy.
    struct LiveUpdateOff {
        TValueList& list;
        bool saved;
        explicit LiveUpdateOff(TValueList& l) : list(l), saved(l.live_reg_update_) {
            list.live_reg_update_ = false;
        }
        ~LiveUpdateOff() { list.live_reg_update_ = saved; }
    } live_update_off(*this);

    for (const auto& name : opened->ValueNames()) {
        const auto value = opened->ReadValue(name);
        if (value && value->type == RegistryValueType::String) Add(name, value->text);
    }
    return true;
}

void TValueList::ValueChanging(std::u16string_view name, std::u16string_view new_value,
                               std::u16string_view /*old_value*/) {
    if (!live_reg_update_ || def_reg_key_.empty()) return;
    const auto key = registry_.OpenKey(RegistryRoot::CurrentUser, def_reg_key_, true, true);
    if (key) key->WriteString(name, new_value);
}

}  // namespace vq
