#include "ui/about_window.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "formats/memory_registry.h"
#include "identity/user_identity.h"
#include "tests/identity/fake_identity_platform.h"

namespace vq {
namespace {

TEST(AboutWindowTest, EachPartHasItsClickCursorAndHover) {
    struct Row {
        const char* name;
        AboutPart part;
        AboutClick click;
        bool hand;
        bool underline;
    };
    const std::vector<Row> rows{
        {"Background", AboutPart::Background, AboutClick::Close, false, false},
        {"Image1", AboutPart::Image1, AboutClick::Close, false, false},
        {"Label1", AboutPart::Label1, AboutClick::Close, false, false},
        {"Label2", AboutPart::Label2, AboutClick::Close, false, false},
        {"Label3", AboutPart::Label3, AboutClick::Close, false, false},
        {"Label4", AboutPart::Label4, AboutClick::Close, false, false},
        {"Label5", AboutPart::Label5, AboutClick::Close, false, false},
        {"Label6", AboutPart::Label6, AboutClick::Close, false, false},
        {"Label7", AboutPart::Label7, AboutClick::Close, false, false},
        {"Label8", AboutPart::Label8, AboutClick::OpenOwnCaption, true, true},
        {"Label9", AboutPart::Label9, AboutClick::OpenOwnCaption, true, true},
        {"Image2", AboutPart::Image2, AboutClick::OpenMakerSite, true, false},
        {"StaticText1", AboutPart::StaticText1, AboutClick::Close, false, false},
        {"StaticText2", AboutPart::StaticText2, AboutClick::Close, false, false},
        {"Shape1", AboutPart::Shape1, AboutClick::Nothing, false, false},
    };
    ASSERT_EQ(rows.size(), kAboutPartCount);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(ClickAction(row.part), row.click);
        EXPECT_EQ(ShowsHandCursor(row.part), row.hand);
        EXPECT_EQ(UnderlinesOnHover(row.part), row.underline);
    }
    EXPECT_EQ(AboutFixedCaption(AboutPart::Label8), kProductPageAddress);
    EXPECT_EQ(AboutFixedCaption(AboutPart::Label9), kProductForumAddress);
    EXPECT_TRUE(AboutFixedCaption(AboutPart::Label4).empty());
    EXPECT_NE(kAboutCreditLine.find(u"2026"), std::u16string_view::npos);
}

TEST(AboutWindowTest, PointsFallOnTheTopmostControl) {
    AboutLayout layout;
    layout.SetContentSize(AboutPart::Label1, 180, 13);
    layout.SetContentSize(AboutPart::Label8, 150, 14);
    layout.SetContentSize(AboutPart::StaticText2, 170, 13);
    layout.SetContentSize(AboutPart::Shape1, 5, 5);      // fixed size: ignored
    layout.SetContentSize(AboutPart::Background, 5, 5);  // the window itself: ignored
    EXPECT_EQ(layout.Rect(AboutPart::Shape1), (AboutRect{3, 127, 270, 128}));
    EXPECT_EQ(layout.Rect(AboutPart::Image2), (AboutRect{4, 90, 59, 122}));  // design size

    struct Row {
        const char* name;
        int x, y;
        std::optional<AboutPart> part;
    };
    const std::vector<Row> rows{
        {"globe corner", 0, 0, AboutPart::Image1},
        {"globe's right column", 80, 60, AboutPart::Image1},
        {"credit over the globe", 12, 76, AboutPart::Label1},
        {"subtitle over the credit", 100, 75, AboutPart::StaticText2},
        {"logo", 58, 121, AboutPart::Image2},
        {"between logo and link", 59, 95, AboutPart::Background},
        {"link", 61, 90, AboutPart::Label8},
        {"link's right edge", 210, 103, AboutPart::Label8},
        {"past the link", 211, 103, AboutPart::Background},
        {"line start", 3, 127, AboutPart::Shape1},
        {"line end", 269, 127, AboutPart::Shape1},
        {"past the line", 270, 127, AboutPart::Background},
        {"unmeasured row", 104, 128, AboutPart::Background},
        {"bottom right", 273, 178, AboutPart::Background},
        {"left of the window", -1, 10, std::nullopt},
        {"below the window", 10, 179, std::nullopt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(layout.PartAt(row.x, row.y), row.part);
    }
}

TEST(AboutWindowTest, CentredOnTheScreen) {
    EXPECT_EQ(CentredOnScreen(1024, 768, kAboutWidth, kAboutHeight), (AboutPoint{375, 294}));
    EXPECT_EQ(CentredOnScreen(275, 180, kAboutWidth, kAboutHeight), (AboutPoint{0, 0}));
}

class AboutRowsTest : public ::testing::Test {
protected:
    void SetDomain(RegistryValue value) {
        registry.SetValue(RegistryRoot::LocalMachine, kTcpipParametersKey, kTcpipDomainValue,
                          std::move(value));
    }

    test::FakeIdentityPlatform platform;
    MemoryRegistry registry;
};

TEST_F(AboutRowsTest, ReadsNameAndDomainAfresh) {
    platform.names = {{NameFormat::Display, u"Иванов Иван"}};
    SetDomain({RegistryValueType::String, u"office.local"});
    EXPECT_EQ(ReadAboutRows(u"http://gate/", platform, registry),
              (AboutRows{u"http://gate/", u"Иванов Иван", u"office.local"}));

    platform.names[NameFormat::Display] = u"Петров Пётр";
    SetDomain({RegistryValueType::ExpandString, u"branch.local"});
    EXPECT_EQ(ReadAboutRows(u"", platform, registry),
              (AboutRows{u"", u"Петров Пётр", u"branch.local"}));
    EXPECT_EQ(platform.name_requests.size(), 2u);

    // An account without a display name is shown by its account name.
    platform.names = {{NameFormat::SamCompatible, u"TEST\\kassa1"}};
    EXPECT_EQ(ReadAboutRows(u"", platform, registry).displayName, u"TEST\\kassa1");
}

TEST_F(AboutRowsTest, UnreadableValuesAreEmpty) {
    // No display name and no key.
    EXPECT_EQ(ReadAboutRows(u"http://gate/", platform, registry),
              (AboutRows{u"http://gate/", u"", u""}));
    // A domain of the wrong type raises inside; the name service raising is caught too.
    SetDomain({RegistryValueType::DWord, u""});
    platform.names_raise = true;
    EXPECT_EQ(ReadAboutRows(u"s", platform, registry), (AboutRows{u"s", u"", u""}));
}

}  // namespace
}  // namespace vq
