#include "formats/value_list.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <random>
#include <tuple>
#include <utility>
#include <vector>

#include "formats/errors.h"
#include "formats/memory_registry.h"
#include "tests/support/throws_with_message.h"

namespace vq {
namespace {

using namespace std::string_literals;
using Pairs = std::vector<std::pair<std::u16string, std::u16string>>;

Pairs PairsOf(const TValueList& list) {
    Pairs pairs;
    for (int i = 0; i < list.GetCount(); ++i) pairs.emplace_back(list.GetName(i), list.GetValue(i));
    return pairs;
}

void Fill(TValueList& list, const Pairs& pairs) {
    for (const auto& [name, value] : pairs) list.Add(name, value);
}

// A Russian workstation: Windows-1251 as the ANSI code page, and a registry in memory.
class ValueListTest : public ::testing::Test {
protected:
    MemoryRegistry registry;
    TValueList list{Windows1251CodePage(), registry};
};

// --- URL-encoded INI text -------------------------------------------------------------------

TEST_F(ValueListTest, WorkedExampleWritesAndReadsBackByteForByte) {
    const Pairs entries = {
        {u"user", u"TEST\\ivanov"}, {u"title", u"Отдел 5"}, {u"note", u"a-b.c~d"},
        {u"lines", u"L1\r\nL2"},    {u"empty", u""},
    };
    Fill(list, entries);
    const std::string text =
        "user=TEST%5Civanov\r\n"
        "title=%D0%9E%D1%82%D0%B4%D0%B5%D0%BB+5\r\n"
        "note=a%2Db%2Ec%7Ed\r\n"
        "lines=L1%0D%0AL2\r\n"
        "empty=\r\n";
    EXPECT_EQ(list.GetURLEncodedINI(), text);

    for (const auto coding : {TextCoding::Ansi, TextCoding::Utf8}) {
        SCOPED_TRACE(coding == TextCoding::Ansi ? "ANSI" : "UTF-8");
        TValueList read(Windows1251CodePage(), registry);
        read.SetURLEncodedINI(text, coding);
        EXPECT_EQ(PairsOf(read), entries);

        read.SetURLEncodedINI("Title=x");
        EXPECT_EQ(read.GetCount(), 5);
        EXPECT_EQ(read.GetName(1), u"title");
        EXPECT_EQ(read.GetValue(1), u"x");
    }
}

TEST_F(ValueListTest, ReadingTextFollowsTheLineAndEscapeRules) {
    struct Case {
        const char* name;
        std::string text;
        TextCoding coding;
        Pairs expected;
    };
    const auto ansi = TextCoding::Ansi;
    const auto utf8 = TextCoding::Utf8;
    const Case cases[] = {
        {"empty text", "", ansi, {}},
        {"LF line ends", "a=1\nb=2\n", ansi, {{u"a", u"1"}, {u"b", u"2"}}},
        {"CR line ends", "a=1\rb=2", ansi, {{u"a", u"1"}, {u"b", u"2"}}},
        {"blank lines of every kind",
         "\r\na=1\r\n\r\n\n\rb=2\r\r",
         ansi,
         {{u"a", u"1"}, {u"b", u"2"}}},
        {"line without equals skipped", "junk\r\na=1", ansi, {{u"a", u"1"}}},
        {"empty name adds nothing", "=x\r\na=1", ansi, {{u"a", u"1"}}},
        {"cut at the first equals", "a=b=c", ansi, {{u"a", u"b=c"}}},
        {"spaces kept", " a = b", ansi, {{u" a ", u" b"}}},
        {"plus and escaped plus",
         "p=1+2\r\nq=%2B\r\nr=%2b",
         ansi,
         {{u"p", u"1 2"}, {u"q", u"+"}, {u"r", u"+"}}},
        {"trailing percent dropped", "a=50%", ansi, {{u"a", u"50"}}},
        {"percent and one digit at the end", "a=x%4", ansi, {{u"a", u"x\x04"}}},
        {"same name in other case: first case, last value",
         "Name=1\r\nNAME=2\r\nname=3",
         ansi,
         {{u"Name", u"3"}}},
        {"text ends at NUL", "a=1\0b=2"s, ansi, {{u"a", u"1"}}},
        {"escaped UTF-8", "t=%D0%9E%D1%82", ansi, {{u"t", u"От"}}},
        {"invalid UTF-8 after decoding", "t=%D0", ansi, {{u"t", u"\uFFFD"}}},
        {"raw Cyrillic value goes through ANSI bytes", "v=Ё", utf8, {{u"v", u"\uFFFD"}}},
        {"Cyrillic name from UTF-8", "Отдел=1", utf8, {{u"Отдел", u"1"}}},
        {"Cyrillic name from ANSI", "\xCE\xF2\xE4\xE5\xEB=1", ansi, {{u"Отдел", u"1"}}},
        {"name character missing from the code page", "\xC3\xA9=1", utf8, {{u"?", u"1"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TValueList read(Windows1251CodePage(), registry);
        read.SetURLEncodedINI(c.text, c.coding);
        EXPECT_EQ(PairsOf(read), c.expected);
    }
}

TEST_F(ValueListTest, BadEscapeEndsTheParseAndKeepsEarlierPairs) {
    list.Add(u"keep", u"1");
    EXPECT_THAT([&] { list.SetURLEncodedINI("a=1\r\nb=x%zz\r\nc=3\r\n"); },
                test::ThrowsWithMessage<EConvertError>("''$zz'' is not a valid integer value"));
    EXPECT_EQ(PairsOf(list), (Pairs{{u"keep", u"1"}, {u"a", u"1"}}));
}

TEST_F(ValueListTest, WritingTextConvertsNamesToTheCodePage) {
    struct Case {
        const char* name;
        const AnsiCodePage& code_page;
        Pairs entries;
        std::string text;
    };
    const Case cases[] = {
        {"empty list", Windows1251CodePage(), {}, ""},
        {"empty value", Windows1251CodePage(), {{u"name", u""}}, "name=\r\n"},
        {"Cyrillic name in Windows-1251",
         Windows1251CodePage(),
         {{u"Имя", u"1"}},
         "\xC8\xEC\xFF=1\r\n"},
        {"Cyrillic name in Latin-1", Latin1CodePage(), {{u"Имя", u"1"}}, "\?\?\?=1\r\n"},
        {"value escapes are ASCII in any code page",
         Latin1CodePage(),
         {{u"v", u"Ё é"}},
         "v=%D0%81+%C3%A9\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TValueList written(c.code_page, registry);
        Fill(written, c.entries);
        EXPECT_EQ(written.GetURLEncodedINI(), c.text);
    }
}

// --- Adding, lookup, deletion ---------------------------------------------------------------

TEST_F(ValueListTest, AddKeepsNamesUniqueRegardlessOfCase) {
    EXPECT_EQ(list.Add(u"user", u"a"), 0);
    EXPECT_EQ(list.Add(u"dname", u"b"), 1);
    EXPECT_EQ(list.Add(u"USER", u"c"), -1);  // stored, although the result says -1
    EXPECT_EQ(list.Add(u"", u"x"), -1);
    list.SetItem(u"Отдел", u"d");
    list.SetItem(u"ОТДЕЛ", u"e");

    EXPECT_EQ(PairsOf(list), (Pairs{{u"user", u"c"}, {u"dname", u"b"}, {u"Отдел", u"e"}}));
    EXPECT_EQ(list.GetItem(u"User"), u"c");
    EXPECT_EQ(list.GetItem(u"missing"), u"");
    EXPECT_EQ(list.IndexOfName(u"DNAME"), 1);
    EXPECT_EQ(list.IndexOfName(u"отдел"), 2);
    EXPECT_EQ(list.IndexOfName(u"missing"), -1);
    EXPECT_EQ(list.IndexOfValue(u"b"), 1);
    EXPECT_EQ(list.IndexOfValue(u"B"), -1);

    list.Delete(u"missing");
    list.Delete(u"USER");
    EXPECT_EQ(PairsOf(list), (Pairs{{u"dname", u"b"}, {u"Отдел", u"e"}}));
    EXPECT_EQ(list.IndexOfName(u"отдел"), 1);  // the index follows the shift
    EXPECT_EQ(list.IndexOfName(u"user"), -1);
}

TEST_F(ValueListTest, IndexOutsideTheListRaisesListError) {
    Fill(list, {{u"a", u"1"}, {u"b", u"2"}});
    struct Case {
        const char* name;
        std::function<void()> action;
        const char* message;
    };
    const Case cases[] = {
        {"GetName(-1)", [&] { list.GetName(-1); }, "List index out of bounds (-1)"},
        {"GetName(Count)", [&] { list.GetName(2); }, "List index out of bounds (2)"},
        {"GetValue(Count)", [&] { list.GetValue(2); }, "List index out of bounds (2)"},
        {"SetValue(5)", [&] { list.SetValue(5, u"x"); }, "List index out of bounds (5)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_THAT(c.action, test::ThrowsWithMessage<EListError>(c.message));
    }
    EXPECT_EQ(PairsOf(list), (Pairs{{u"a", u"1"}, {u"b", u"2"}}));
}

// Counts its own destruction, to see which sub-lists the list frees.
class TrackedList : public TValueList {
public:
    explicit TrackedList(int& destroyed) : destroyed_(destroyed) {}
    ~TrackedList() override { ++destroyed_; }

private:
    int& destroyed_;
};

TEST_F(ValueListTest, SubItemsAreOwnedAndObjectsAreNot) {
    int destroyed = 0;
    auto first = std::make_unique<TrackedList>(destroyed);
    TValueList* first_ptr = first.get();
    list.SetSubItem(u"sub", std::move(first));  // adds the name with an empty value
    EXPECT_EQ(PairsOf(list), (Pairs{{u"sub", u""}}));
    EXPECT_EQ(list.GetSubItem(u"SUB"), first_ptr);
    EXPECT_EQ(list.GetSubItem(u"missing"), nullptr);

    list.SetSubItem(u"sub", std::make_unique<TrackedList>(destroyed));
    EXPECT_EQ(destroyed, 1) << "the replaced sub-list is freed";
    list.Delete(u"sub");
    EXPECT_EQ(destroyed, 2) << "Delete frees the sub-list";

    list.SetSubItem(u"x", std::make_unique<TrackedList>(destroyed));
    list.SetSubItem(u"y", std::make_unique<TrackedList>(destroyed));
    list.Clear();
    EXPECT_EQ(destroyed, 4) << "Clear frees every sub-list";

    list.SetSubItem(u"", std::make_unique<TrackedList>(destroyed));
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(destroyed, 5) << "a sub-list for an empty name is not kept";

    int object = 7;
    list.SetObject(u"obj", &object);
    EXPECT_EQ(PairsOf(list), (Pairs{{u"obj", u""}}));
    EXPECT_EQ(list.GetObject(u"OBJ"), &object);
    EXPECT_EQ(list.GetObject(u"missing"), nullptr);
    list.Add(u"obj", u"v");
    EXPECT_EQ(list.GetObject(u"obj"), &object) << "a new value keeps the object";
}

TEST_F(ValueListTest, AddValuesFromAndAssignCopyNamesAndValuesOnly) {
    int destroyed = 0;
    int object = 0;
    TValueList source(Windows1251CodePage(), registry);
    Fill(source, {{u"User", u"new"}, {u"groups", u"g"}});
    source.SetSubItem(u"groups", std::make_unique<TrackedList>(destroyed));
    source.SetObject(u"User", &object);

    Fill(list, {{u"other", u"1"}, {u"user", u"old"}});
    list.AddValuesFrom(source);
    EXPECT_EQ(PairsOf(list), (Pairs{{u"other", u"1"}, {u"user", u"new"}, {u"groups", u"g"}}));
    EXPECT_EQ(list.GetSubItem(u"groups"), nullptr);
    EXPECT_EQ(list.GetObject(u"user"), nullptr);

    list.Assign(source);
    EXPECT_EQ(PairsOf(list), (Pairs{{u"User", u"new"}, {u"groups", u"g"}}));

    list.Assign(list);
    EXPECT_EQ(PairsOf(list), (Pairs{{u"User", u"new"}, {u"groups", u"g"}}));
}

// --- Change notification and the live registry copy -----------------------------------------

TEST_F(ValueListTest, OnChangeFiresForEachChangeOnly) {
    int fired = 0;
    list.SetOnChange([&](TValueList& changed) {
        EXPECT_EQ(&changed, &list);
        ++fired;
    });
    MemoryStream two_entries;
    {
        TValueList source(Windows1251CodePage(), registry);
        Fill(source, {{u"p", u"1"}, {u"q", u"2"}});
        source.WriteToStream(two_entries);
    }
    TValueList assign_source(Windows1251CodePage(), registry);
    Fill(assign_source, {{u"p", u"1"}, {u"q", u"2"}});
    int object = 0;

    struct Step {
        const char* name;
        std::function<void()> action;
        int fires;
    };
    const Step steps[] = {
        {"Add of a new name", [&] { list.Add(u"a", u"1"); }, 1},
        {"Add of the same value", [&] { list.Add(u"A", u"1"); }, 0},
        {"Add of another value", [&] { list.Add(u"a", u"2"); }, 1},
        {"Add of an empty name", [&] { list.Add(u"", u"2"); }, 0},
        {"SetValue of the same value", [&] { list.SetValue(0, u"2"); }, 0},
        {"SetValue differing in case only", [&] { list.SetValue(0, u"X"); }, 1},
        {"SetSubItem on an existing name", [&] { list.SetSubItem(u"a", nullptr); }, 0},
        {"SetObject on a new name", [&] { list.SetObject(u"o", &object); }, 1},
        {"Delete of a missing name", [&] { list.Delete(u"missing"); }, 0},
        {"Delete", [&] { list.Delete(u"o"); }, 1},
        {"SetURLEncodedINI with two new names", [&] { list.SetURLEncodedINI("x=1\r\ny=2"); }, 2},
        {"Clear", [&] { list.Clear(); }, 1},
        {"Clear of an empty list", [&] { list.Clear(); }, 1},
        {"Assign of two entries", [&] { list.Assign(assign_source); }, 3},
        {"ReadFromStream fires for its Clear only",
         [&] {
             two_entries.SetPosition(0);
             list.ReadFromStream(two_entries);
         },
         1},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.name);
        fired = 0;
        step.action();
        EXPECT_EQ(fired, step.fires);
    }

    int destroyed_fires = 0;
    auto doomed = std::make_unique<TValueList>(Windows1251CodePage(), registry);
    doomed->Add(u"a", u"1");
    doomed->SetOnChange([&](TValueList&) { ++destroyed_fires; });
    doomed.reset();
    EXPECT_EQ(destroyed_fires, 1) << "destruction clears the list";
}

// Records every ValueChanging call and keeps the base behaviour.
class RecordingList : public TValueList {
public:
    using TValueList::TValueList;
    std::vector<std::tuple<std::u16string, std::u16string, std::u16string>> calls;

protected:
    void ValueChanging(std::u16string_view name, std::u16string_view new_value,
                       std::u16string_view old_value) override {
        calls.emplace_back(name, new_value, old_value);
        TValueList::ValueChanging(name, new_value, old_value);
    }
};

TEST_F(ValueListTest, ValueChangingPrecedesEveryStoreThroughAdd) {
    RecordingList recording(Windows1251CodePage(), registry);
    using Call = std::tuple<std::u16string, std::u16string, std::u16string>;
    recording.Add(u"a", u"1");
    recording.Add(u"A", u"2");
    recording.Add(u"a", u"2");
    recording.SetURLEncodedINI("b=3");
    recording.SetValue(0, u"9");  // by index: not through ValueChanging
    EXPECT_EQ(recording.calls, (std::vector<Call>{{u"a", u"1", u""},
                                                  {u"A", u"2", u"1"},
                                                  {u"a", u"2", u"2"},
                                                  {u"b", u"3", u""}}));

    MemoryStream stream;
    recording.WriteToStream(stream);
    stream.SetPosition(0);
    recording.calls.clear();
    recording.ReadFromStream(stream);
    EXPECT_TRUE(recording.calls.empty());
}

TEST_F(ValueListTest, LiveCopyWritesUnderTheCurrentUsersDefRegKey) {
    const std::u16string key = u"Software\\Tolmar\\live";
    struct Case {
        const char* name;
        bool live;
        std::u16string def_reg_key;
        bool writable;
        bool written;
    };
    const Case cases[] = {
        {"on, with a key", true, key, true, true},
        {"off", false, key, true, false},
        {"on, without a key", true, u"", true, false},
        {"key cannot be opened: silently nothing", true, key, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryRegistry own;
        own.SetWritable(c.writable);
        TValueList live(Windows1251CodePage(), own);
        live.SetLiveRegUpdate(c.live);
        live.SetDefRegKey(c.def_reg_key);
        live.Add(u"user", u"Иванов");
        EXPECT_EQ(live.GetItem(u"user"), u"Иванов");
        const auto stored = own.GetValue(RegistryRoot::CurrentUser, key, u"user");
        EXPECT_EQ(stored.has_value(), c.written);
        if (c.written) {
            EXPECT_EQ(*stored, (RegistryValue{RegistryValueType::String, u"Иванов"}));
        }
        EXPECT_FALSE(own.KeyExists(RegistryRoot::LocalMachine, u""));
    }
}

TEST_F(ValueListTest, LiveCopyRewritesUnchangedValuesButNotIndexStores) {
    const std::u16string key = u"Software\\Tolmar\\live";
    list.SetDefRegKey(key);
    list.SetLiveRegUpdate(true);
    list.Add(u"user", u"ivanov");
    registry.SetValue(RegistryRoot::CurrentUser, key, u"user", {RegistryValueType::String, u"x"});

    list.Add(u"user", u"ivanov");  // unchanged, written again
    EXPECT_EQ(registry.GetValue(RegistryRoot::CurrentUser, key, u"user")->text, u"ivanov");

    list.SetValue(0, u"petrov");  // by index: not copied
    MemoryStream stream;
    list.WriteToStream(stream);
    stream.SetPosition(0);
    list.ReadFromStream(stream);  // not copied either
    EXPECT_EQ(list.GetItem(u"user"), u"petrov");
    EXPECT_EQ(registry.GetValue(RegistryRoot::CurrentUser, key, u"user")->text, u"ivanov");
}

// --- Registry form --------------------------------------------------------------------------

TEST_F(ValueListTest, WriteToRegStoresStringsUnderTheKeyOrDefRegKey) {
    Fill(list, {{u"user", u"ivanov"}, {u"title", u"Отдел 5"}});
    EXPECT_TRUE(list.WriteToReg(u"Software\\vq\\list", RegistryRoot::CurrentUser));
    EXPECT_EQ(registry.GetValue(RegistryRoot::CurrentUser, u"SOFTWARE\\VQ\\LIST", u"TITLE"),
              (RegistryValue{RegistryValueType::String, u"Отдел 5"}));

    list.SetDefRegKey(u"Software\\vq\\default");
    EXPECT_TRUE(list.WriteToReg(u"", RegistryRoot::LocalMachine));
    EXPECT_EQ(registry.GetValue(RegistryRoot::LocalMachine, u"Software\\vq\\default", u"user"),
              (RegistryValue{RegistryValueType::String, u"ivanov"}));

    registry.SetWritable(false);
    EXPECT_FALSE(list.WriteToReg(u"Software\\vq\\denied"));
    EXPECT_FALSE(registry.KeyExists(RegistryRoot::CurrentUser, u"Software\\vq\\denied"));
}

TEST_F(ValueListTest, ReadFromRegAddsPlainStringsWithoutWritingBack) {
    const std::u16string key = u"Software\\Policies\\Tolmar\\vq";
    const auto root = RegistryRoot::CurrentUser;
    registry.SetValue(root, key, u"ServerName", {RegistryValueType::String, u"http://srv/"});
    registry.SetValue(root, key, u"path", {RegistryValueType::ExpandString, u"%TEMP%"});
    registry.SetValue(root, key, u"number", {RegistryValueType::DWord, u""});
    registry.SetValue(root, key, u"multi", {RegistryValueType::MultiString, u"a\0b"s});
    registry.SetValue(root, key, u"blob", {RegistryValueType::Binary, u""});
    registry.SetValue(root, key, u"Title", {RegistryValueType::String, u"Отдел"});

    Fill(list, {{u"keep", u"1"}, {u"title", u"old"}});
    list.SetDefRegKey(u"Software\\vq\\live");
    list.SetLiveRegUpdate(true);
    EXPECT_TRUE(list.ReadFromReg(key, root));
    EXPECT_EQ(PairsOf(list),
              (Pairs{{u"keep", u"1"}, {u"title", u"Отдел"}, {u"ServerName", u"http://srv/"}}));
    EXPECT_FALSE(registry.KeyExists(root, u"Software\\vq\\live")) << "nothing written back";
    EXPECT_TRUE(list.LiveRegUpdate()) << "restored afterwards";

    EXPECT_FALSE(list.ReadFromReg(u"Software\\missing", root));
    EXPECT_EQ(list.GetCount(), 3);

    list.SetDefRegKey(key);
    list.Clear();
    EXPECT_TRUE(list.ReadFromReg(u"", root)) << "an empty key means DefRegKey";
    EXPECT_EQ(list.GetCount(), 2);
}

// --- Stream and file forms ------------------------------------------------------------------

TEST_F(ValueListTest, StreamFormIsCountThenNameAndValueRecords) {
    Fill(list, {{u"a", u"1"}, {u"Б", u""}});
    const std::string bytes =
        "\x02\0\0\0"s
        "\x04\0\0\0\xFF\xFE"
        "a\0"s
        "\x04\0\0\0\xFF\xFE"
        "1\0"s
        "\x04\0\0\0\xFF\xFE\x11\x04"s
        "\x02\0\0\0\xFF\xFE"s;
    MemoryStream stream;
    EXPECT_EQ(list.WriteToStream(stream), bytes.size());
    EXPECT_EQ(stream.Bytes(), bytes);

    TValueList read(Windows1251CodePage(), registry);
    read.Add(u"gone", u"x");
    stream.SetPosition(0);
    EXPECT_EQ(read.ReadFromStream(stream), bytes.size());
    EXPECT_EQ(PairsOf(read), PairsOf(list));
}

TEST_F(ValueListTest, StreamKeepsRepeatedNamesAndLookupFindsTheLater) {
    MemoryStream stream(
        "\x03\0\0\0"s
        "\x04\0\0\0\xFF\xFE"
        "k\0"s
        "\x04\0\0\0\xFF\xFE"
        "1\0"s
        "\x03\0\0\0\xC8\xEC\xFF"s
        "\x04\0\0\0\xFF\xFE"
        "2\0"s  // name in Windows-1251
        "\x04\0\0\0\xFF\xFE"
        "K\0"s
        "\x04\0\0\0\xFF\xFE"
        "3\0"s);
    list.ReadFromStream(stream);
    EXPECT_EQ(PairsOf(list), (Pairs{{u"k", u"1"}, {u"Имя", u"2"}, {u"K", u"3"}}));
    EXPECT_EQ(list.GetItem(u"k"), u"3");
    EXPECT_EQ(list.Add(u"k", u"4"), -1);
    EXPECT_EQ(PairsOf(list), (Pairs{{u"k", u"1"}, {u"Имя", u"2"}, {u"K", u"4"}}));
    list.Delete(u"имя");  // the name index is rebuilt from the entries
    EXPECT_EQ(list.IndexOfName(u"k"), 1);
}

TEST_F(ValueListTest, HostileStreamNeitherOverAllocatesNorLoops) {
    const std::string pair =
        "\x04\0\0\0\xFF\xFE"
        "a\0\x04\0\0\0\xFF\xFE"
        "1\0"s;
    struct Case {
        const char* name;
        std::string bytes;
        bool raises;
        int entries;  // when it does not raise
    };
    const Case cases[] = {
        {"negative count reads nothing", "\xFF\xFF\xFF\xFF"s + pair, false, 0},
        {"zero count", "\0\0\0\0"s + pair, false, 0},
        {"count of 2^31 - 1 with one pair", "\xFF\xFF\xFF\x7F"s + pair, true, 0},
        {"count of 2 with one pair", "\x02\0\0\0"s + pair, true, 0},
        {"value record cut short", "\x01\0\0\0"s + pair.substr(0, pair.size() - 1), true, 0},
        {"string length of 4 GiB", "\x01\0\0\0\xFF\xFF\xFF\xFF\xFF\xFE"s, true, 0},
        {"count cut short", "\x01\0"s, true, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TValueList read(Windows1251CodePage(), registry);
        read.Add(u"old", u"x");
        MemoryStream stream(c.bytes);
        if (c.raises) {
            EXPECT_THROW(read.ReadFromStream(stream), EReadError);
        } else {
            EXPECT_EQ(read.ReadFromStream(stream), 4u);
            EXPECT_EQ(read.GetCount(), c.entries);
        }
        EXPECT_EQ(read.IndexOfName(u"old"), -1) << "cleared before reading";
    }
}

class ValueListFileTest : public ValueListTest {
protected:
    void SetUp() override {
        std::random_device random;
        folder_ = std::filesystem::temp_directory_path() /
                  ("vq_value_list_" + std::to_string(random()) + "_" + std::to_string(random()));
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    std::filesystem::path File(const char* name) const { return folder_ / name; }

private:
    std::filesystem::path folder_;
};

TEST_F(ValueListFileTest, StreamFormRoundTripsThroughAFile) {
    Fill(list, {{u"user", u"ivanov"}, {u"title", u"Отдел 5"}});
    const auto written = list.WriteToFile(File("list.bin"));
    MemoryStream expected;
    list.WriteToStream(expected);
    EXPECT_EQ(written, expected.Size());
    EXPECT_EQ(ReadFileBytes(File("list.bin")), expected.Bytes());

    TValueList read(Windows1251CodePage(), registry);
    EXPECT_EQ(read.ReadFromFile(File("list.bin")), written);
    EXPECT_EQ(PairsOf(read), PairsOf(list));
    EXPECT_THROW(read.ReadFromFile(File("missing.bin")), EFOpenError);
}

TEST_F(ValueListFileTest, URLEncodedINIFileIsAnsiAndLoadsAnyBomOrAnsi) {
    Fill(list, {{u"Имя", u"Отдел 5"}, {u"e", u""}});
    list.SaveAsURLEncodedINI(File("saved.ini"));
    EXPECT_EQ(ReadFileBytes(File("saved.ini")), list.GetURLEncodedINI());
    EXPECT_EQ(ReadFileBytes(File("saved.ini")).substr(0, 4), "\xC8\xEC\xFF=");

    struct Case {
        const char* name;
        std::string bytes;
        Pairs expected;
    };
    const Case cases[] = {
        {"ANSI (Windows-1251), LF", "\xC8\xEC\xFF=%D0%9E\nb=2", {{u"Имя", u"О"}, {u"b", u"2"}}},
        {"UTF-8 mark", "\xEF\xBB\xBF\xD0\x98\xD0\xBC\xD1\x8F=1\r\n", {{u"Имя", u"1"}}},
        {"UTF-16LE mark",
         "\xFF\xFE\x18\x04=\0"
         "1\0\r\0"s,
         {{u"И", u"1"}}},
        {"UTF-16BE mark",
         "\xFE\xFF\x04\x18\0=\0"
         "1"s,
         {{u"И", u"1"}}},
        {"empty file", "", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFileBytes(File("load.ini"), c.bytes);
        TValueList read(Windows1251CodePage(), registry);
        read.Add(u"gone", u"x");
        read.LoadAsURLEncodedINI(File("load.ini"));
        EXPECT_EQ(PairsOf(read), c.expected);
    }

    TValueList read(Windows1251CodePage(), registry);
    read.LoadAsURLEncodedINI(File("saved.ini"));
    EXPECT_EQ(PairsOf(read), PairsOf(list));
}

}  // namespace
}  // namespace vq
