#include "ui/info_form_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vq {
namespace {

class InfoFormTest : public ::testing::Test {
protected:
    InfoFormTest()
        : form(
              GetModuleHandleW(nullptr),
              [this] {
                  ++reads;
                  // The domain grows by one "!" per reading, so a re-read shows.
                  return AboutRows{u"http://gate/", u"Иванов Иван",
                                   u"office" + std::u16string(reads, u'!')};
              },
              [this](const std::wstring& address) { opened.push_back(address); }) {}

    // A press and a release at the middle of the control.
    void Click(AboutPart part) {
        const AboutRect r = form.PartRect(part);
        const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        SendMessageW(form.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageW(form.Handle(), WM_LBUTTONUP, 0, at);
    }
    // Shows the window without activating it. (Under Wine an activated window becomes one the
    // window manager handles, and hiding it then waits two seconds for a manager Xvfb lacks.)
    void ShowQuietly() {
        SetWindowPos(form.Handle(), nullptr, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    }
    void MoveTo(AboutPart part) {
        const AboutRect r = form.PartRect(part);
        SendMessageW(form.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(r.left + 2, r.top + 2));
    }

    int reads = 0;
    std::vector<std::wstring> opened;
    TInfoForm form;
};

TEST_F(InfoFormTest, BorderlessToolWindowOfItsSize) {
    const HWND window = form.Handle();
    ASSERT_NE(window, nullptr);
    wchar_t name[32] = {};
    GetClassNameW(window, name, 32);
    EXPECT_STREQ(name, L"TInfoForm");
    const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
    EXPECT_NE(style & WS_POPUP, 0);
    EXPECT_EQ(style & (WS_CAPTION | WS_BORDER | WS_THICKFRAME | WS_VISIBLE), 0);
    EXPECT_NE(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW, 0);
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, kAboutWidth);
    EXPECT_EQ(client.bottom, kAboutHeight);
    EXPECT_FALSE(form.Visible());
    ASSERT_NE(form.Shadow(), nullptr);
    // The labels size to their measured text.
    EXPECT_GT(form.PartRect(AboutPart::Label8).Width(), 60);
    EXPECT_GT(form.PartRect(AboutPart::Label8).Height(), 8);
    EXPECT_LE(form.PartRect(AboutPart::Label1).right, kAboutWidth);
}

TEST_F(InfoFormTest, ShowCentresAndReadsTheRowsOncePerShowing) {
    form.Show();
    ASSERT_TRUE(form.Visible());
    EXPECT_EQ(reads, 1);
    EXPECT_EQ(form.Caption(AboutPart::Label4), L"http://gate/");
    EXPECT_EQ(form.Caption(AboutPart::Label5), L"Иванов Иван");
    EXPECT_EQ(form.Caption(AboutPart::Label7), L"office!");
    RECT r{};
    GetWindowRect(form.Handle(), &r);
    const AboutPoint centre = CentredOnScreen(
        GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), kAboutWidth, kAboutHeight);
    EXPECT_EQ(r.left, centre.x);
    EXPECT_EQ(r.top, centre.y);

    form.Show();  // already shown: brought forward only
    EXPECT_EQ(reads, 1);
    EXPECT_EQ(form.Caption(AboutPart::Label7), L"office!");

    // Moved by the user, hidden, shown again: rows re-read, the place kept.
    SetWindowPos(form.Handle(), nullptr, 40, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    form.Hide();
    EXPECT_FALSE(form.Visible());
    form.Show();
    EXPECT_EQ(reads, 2);
    EXPECT_EQ(form.Caption(AboutPart::Label7), L"office!!");
    GetWindowRect(form.Handle(), &r);
    EXPECT_EQ(r.left, 40);
    EXPECT_EQ(r.top, 30);
}

TEST_F(InfoFormTest, ClicksOpenAddressesOrHide) {
    struct Row {
        const char* name;
        AboutPart part;
        const wchar_t* opens;  // null: opens nothing
        bool staysOpen;
    };
    const std::vector<Row> rows{
        {"logo", AboutPart::Image2, L"http://www.tolmar.ru/", true},
        {"product page", AboutPart::Label8, L"http://www.tolmar.ru/veltrano/", true},
        {"forum", AboutPart::Label9, L"http://forum.tolmar.ru/veltrano/", true},
        {"separator", AboutPart::Shape1, nullptr, true},
        {"background", AboutPart::Background, nullptr, false},
        {"caption", AboutPart::Label2, nullptr, false},
        {"title", AboutPart::StaticText1, nullptr, false},
        {"globe", AboutPart::Image1, nullptr, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ShowQuietly();
        ASSERT_TRUE(form.Visible());
        opened.clear();
        if (row.part == AboutPart::Background) {
            const LPARAM at = MAKELPARAM(kAboutWidth - 2, kAboutHeight - 2);
            SendMessageW(form.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
            SendMessageW(form.Handle(), WM_LBUTTONUP, 0, at);
        } else {
            Click(row.part);
        }
        EXPECT_EQ(opened,
                  row.opens ? std::vector<std::wstring>{row.opens} : std::vector<std::wstring>{});
        EXPECT_EQ(form.Visible(), row.staysOpen);
    }
}

TEST_F(InfoFormTest, LinksAreUnderlinedWhileThePointerIsOverThem) {
    ShowQuietly();
    const AboutRect link = form.PartRect(AboutPart::Label8);
    const auto ink = [&] {
        // Dark pixels in the link's rectangle: the underline adds a line of them.
        const PixelSurface picture = form.Render();
        int dark = 0;
        for (int y = link.top; y < link.bottom; ++y)
            for (int x = link.left; x < link.right; ++x) dark += picture.At(x, y).g < 128 ? 1 : 0;
        return dark;
    };
    const int plain = ink();

    MoveTo(AboutPart::Label8);
    EXPECT_TRUE(form.Underlined(AboutPart::Label8));
    EXPECT_FALSE(form.Underlined(AboutPart::Label9));
    EXPECT_GT(ink(), plain + link.Width() / 2);

    MoveTo(AboutPart::Label9);
    EXPECT_FALSE(form.Underlined(AboutPart::Label8));
    EXPECT_TRUE(form.Underlined(AboutPart::Label9));

    MoveTo(AboutPart::Label2);  // not a link
    EXPECT_FALSE(form.Underlined(AboutPart::Label9));
    MoveTo(AboutPart::Label8);
    SendMessageW(form.Handle(), WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(form.Underlined(AboutPart::Label8));
    EXPECT_EQ(ink(), plain);
}

}  // namespace
}  // namespace vq
