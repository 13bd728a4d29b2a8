#pragma once
// TValueList: an ordered list of named texts. Names are unique regardless of letter case and
// keep the case they were first added with. The list is the payload carried between the worker,
// the monitor window and the access server, whose wire syntax is the URL-encoded INI text:
//
//     name=URLEncode(UTF-8 of value) CR LF    (one line per entry, in list order)
//
// It also has a binary stream form (for files), a registry form and an optional live copy of
// every stored value in the current user's registry.

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "formats/ansi_code_page.h"
#include "formats/byte_stream.h"
#include "formats/registry.h"

// <windows.h> defines GetObject as a macro (GetObjectW); the member keeps its own name here, and a
// Windows file that calls it undefines the macro first.
#pragma push_macro("GetObject")
#undef GetObject

namespace vq {

// What coding the 8-bit text given to SetURLEncodedINI carries.
enum class TextCoding { Ansi, Utf8 };

class TValueList {
public:
    using TNotifyEvent = std::function<void(TValueList&)>;

    // The ANSI code page converts the 8-bit text forms; the registry serves the registry form
    // and the live copy.
    explicit TValueList(const AnsiCodePage& code_page = SystemAnsiCodePage(),
                        Registry& registry = PlatformRegistry());
    // Clears the list, which fires OnChange.
    virtual ~TValueList();
    TValueList(const TValueList&) = delete;
    TValueList& operator=(const TValueList&) = delete;

    // Adding by name. An empty name adds nothing (result -1). An existing name gets the value
    // (result -1); a new one is appended (result its index).
    int Add(std::u16string_view name, std::u16string_view value);
    void SetItem(std::u16string_view name, std::u16string_view value);
    // The value of that name; empty text if there is none.
    std::u16string GetItem(std::u16string_view name) const;

    int GetCount() const { return static_cast<int>(entries_.size()); }
    // By index; an index outside 0..GetCount()-1 raises EListError.
    std::u16string GetName(int index) const;
    std::u16string GetValue(int index) const;
    // Stores and fires OnChange only when the value differs (case-sensitive).
    void SetValue(int index, std::u16string_view value);

    int IndexOfName(std::u16string_view name) const;    // regardless of case; -1 if absent
    int IndexOfValue(std::u16string_view value) const;  // exact; -1 if absent

    void Delete(std::u16string_view name);
    void Clear();

    // The sub-list owned by an entry; null for an absent name. Setting on an absent name adds
    // the name with an empty value first; a replaced sub-list is freed.
    TValueList* GetSubItem(std::u16string_view name) const;
    void SetSubItem(std::u16string_view name, std::unique_ptr<TValueList> sub_item);
    // An object attached to an entry; the list never frees it.
    void* GetObject(std::u16string_view name) const;
    void SetObject(std::u16string_view name, void* object);

    // Adds every name and value of source in order (sub-lists and objects are not copied).
    void AddValuesFrom(const TValueList& source);
    // Clear, then AddValuesFrom.
    void Assign(const TValueList& source);

    // The URL-encoded INI text in the list's ANSI code page.
    std::string GetURLEncodedINI() const;
    // Adds the pairs of the text to the list (existing names get the new values). An escape that
    // is not hexadecimal raises EConvertError; the pairs of earlier lines stay.
    void SetURLEncodedINI(std::string_view text, TextCoding coding = TextCoding::Ansi);
    void SaveAsURLEncodedINI(const std::filesystem::path& file_name) const;
    // Clear, then read a file written as above (a UTF-8 or UTF-16 byte-order mark selects that
    // encoding, otherwise the ANSI code page).
    void LoadAsURLEncodedINI(const std::filesystem::path& file_name);

    // The stream form: a 32-bit count, then the name and value records of each entry. The
    // result is the number of bytes written or read. Reading clears the list first and appends
    // entries as they come, repeated names included (lookup then finds the later one).
    std::size_t WriteToStream(ByteStream& stream) const;
    std::size_t ReadFromStream(ByteStream& stream);
    std::size_t WriteToFile(const std::filesystem::path& file_name) const;
    std::size_t ReadFromFile(const std::filesystem::path& file_name);

    // The registry form: one REG_SZ value per entry under root\key (DefRegKey when key is
    // empty). The result tells whether the key could be opened. Reading adds the REG_SZ values
    // without clearing the list and without copying them back to the live registry copy.
    bool WriteToReg(std::u16string_view key, RegistryRoot root = RegistryRoot::CurrentUser) const;
    bool ReadFromReg(std::u16string_view key, RegistryRoot root = RegistryRoot::CurrentUser);

    const TNotifyEvent& OnChange() const { return on_change_; }
    void SetOnChange(TNotifyEvent on_change) { on_change_ = std::move(on_change); }
    const std::u16string& DefRegKey() const { return def_reg_key_; }
    void SetDefRegKey(std::u16string_view key) { def_reg_key_ = key; }
    bool LiveRegUpdate() const { return live_reg_update_; }
    void SetLiveRegUpdate(bool live) { live_reg_update_ = live; }

protected:
    // Called by Add before it stores a value (old_value is empty for a new name). The base
    // keeps the live registry copy: with LiveRegUpdate on and DefRegKey set, name = new_value is
    // written under the current user's DefRegKey, unchanged values included.
    virtual void ValueChanging(std::u16string_view name, std::u16string_view new_value,
                               std::u16string_view old_value);

private:
    struct TValueListString {
        std::u16string Value;
        std::unique_ptr<TValueList> SubItem;  // owned
        void* Object = nullptr;               // the entry's _Object: any caller's object, not owned
    };
    struct Entry {
        std::u16string name;
        TValueListString data;
    };

    void CheckIndex(int index) const;
    // The index of name, adding it with an empty value if absent; -1 for an empty name.
    int IndexOrAdd(std::u16string_view name);
    void Append(std::u16string name, std::u16string value);
    void Changed();

    const AnsiCodePage& code_page_;
    Registry& registry_;
    std::vector<Entry> entries_;
    // Upper-cased name -> index, rebuilt on the first lookup after the entries were reordered
    // or removed. With repeated names (only the stream form makes them) the later one wins.
    mutable std::unordered_map<std::u16string, int> index_;
    mutable bool index_valid_ = true;
    TNotifyEvent on_change_;
    std::u16string def_reg_key_;
    bool live_reg_update_ = false;
};

}  // namespace vq

#pragma pop_macro("GetObject")
