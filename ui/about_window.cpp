#include "ui/about_window.h"

#include "identity/user_identity.h"
#include "ui/header_name.h"

namespace vq {

namespace {

constexpr std::uint32_t kBlack = 0x000000;
constexpr std::uint32_t kGrey = 0x808080;    // RGB(128, 128, 128)
constexpr std::uint32_t kSilver = 0xC0C0C0;  // RGB(192, 192, 192)

constexpr std::size_t Index(AboutPart part) { return static_cast<std::size_t>(part); }

// Left, top, design size, sizes to its content, look.
constexpr std::array<AboutControl, kAboutPartCount - 1> kControls{{
    {AboutPart::Image1, AboutPaint::Picture, 0, 0, 81, 81, false, AboutFont::Window, kBlack},
    {AboutPart::Label2, AboutPaint::Text, 8, 128, 0, 0, true, AboutFont::Bold, kBlack},
    {AboutPart::Label3, AboutPaint::Text, 8, 144, 0, 0, true, AboutFont::Bold, kBlack},
    {AboutPart::Label4, AboutPaint::Text, 104, 128, 0, 0, true, AboutFont::Window, kBlack},
    {AboutPart::Label5, AboutPaint::Text, 96, 144, 0, 0, true, AboutFont::Window, kBlack},
    {AboutPart::Label6, AboutPaint::Text, 8, 160, 0, 0, true, AboutFont::Bold, kBlack},
    {AboutPart::Label7, AboutPaint::Text, 56, 160, 0, 0, true, AboutFont::Window, kBlack},
    {AboutPart::Image2, AboutPaint::Picture, 4, 90, 55, 32, true, AboutFont::Window, kBlack},
    {AboutPart::Label1, AboutPaint::Text, 10, 74, 0, 0, true, AboutFont::Window, kGrey},
    {AboutPart::Label8, AboutPaint::Text, 61, 90, 0, 0, true, AboutFont::Link, kBlack},
    {AboutPart::Label9, AboutPaint::Text, 61, 106, 0, 0, true, AboutFont::Link, kBlack},
    {AboutPart::Shape1, AboutPaint::Line, 3, 127, 267, 1, false, AboutFont::Window, kSilver},
    {AboutPart::StaticText1, AboutPaint::Text, 85, -2, 0, 0, true, AboutFont::Title, kBlack},
    {AboutPart::StaticText2, AboutPaint::Text, 80, 64, 0, 0, true, AboutFont::Window, kBlack},
}};

// Topmost first: the two windowed static texts, then the graphic controls from the last
// created to the first.
constexpr std::array<AboutPart, kAboutPartCount - 1> kHitOrder{
    AboutPart::StaticText2, AboutPart::StaticText1, AboutPart::Shape1, AboutPart::Label9,
    AboutPart::Label8,      AboutPart::Label1,      AboutPart::Image2, AboutPart::Label7,
    AboutPart::Label6,      AboutPart::Label5,      AboutPart::Label4, AboutPart::Label3,
    AboutPart::Label2,      AboutPart::Image1,
};

// Reads one value; a failure gives empty text.
template <class Read>
std::u16string Guarded(const Read& read) noexcept {
    try {
        return read();
    } catch (...) {
        return {};
    }
}

}  // namespace

AboutClick ClickAction(AboutPart part) {
    switch (part) {
    case AboutPart::Image2: return AboutClick::OpenMakerSite;
    case AboutPart::Label8:
    case AboutPart::Label9: return AboutClick::OpenOwnCaption;
    case AboutPart::Shape1: return AboutClick::Nothing;
    default: return AboutClick::Close;
    }
}

bool ShowsHandCursor(AboutPart part) {
    return part == AboutPart::Image2 || part == AboutPart::Label8 || part == AboutPart::Label9;
}

bool UnderlinesOnHover(AboutPart part) {
    return part == AboutPart::Label8 || part == AboutPart::Label9;
}

const std::array<AboutControl, kAboutPartCount - 1>& AboutControls() { return kControls; }

const AboutControl& AboutControlOf(AboutPart part) {
    for (const AboutControl& control : kControls)
        if (control.part == part) return control;
    return kControls.front();  // Background has no control of its own
}

std::u16string_view AboutFixedCaption(AboutPart part) {
    switch (part) {
    case AboutPart::Label1: return kAboutCreditLine;
    case AboutPart::Label2: return kAboutServerCaption;
    case AboutPart::Label3: return kAboutUserCaption;
    case AboutPart::Label6: return kAboutDomainCaption;
    case AboutPart::Label8: return kProductPageAddress;
    case AboutPart::Label9: return kProductForumAddress;
    case AboutPart::StaticText1: return kAboutTitle;
    case AboutPart::StaticText2: return kAboutSubtitle;
    default: return {};
    }
}

AboutLayout::AboutLayout() {
    rects_[Index(AboutPart::Background)] = {0, 0, kAboutWidth, kAboutHeight};
    for (const AboutControl& control : kControls)
        rects_[Index(control.part)] = {control.left, control.top, control.left + control.width,
                                       control.top + control.height};
}

void AboutLayout::SetContentSize(AboutPart part, int width, int height) {
    if (part == AboutPart::Background) return;
    const AboutControl& control = AboutControlOf(part);
    if (!control.autoSize) return;
    rects_[Index(part)] = {control.left, control.top, control.left + width, control.top + height};
}

AboutRect AboutLayout::Rect(AboutPart part) const { return rects_[Index(part)]; }

std::optional<AboutPart> AboutLayout::PartAt(int x, int y) const {
    if (!rects_[Index(AboutPart::Background)].Contains(x, y)) return std::nullopt;
    for (const AboutPart part : kHitOrder)
        if (rects_[Index(part)].Contains(x, y)) return part;
    return AboutPart::Background;
}

AboutPoint CentredOnScreen(int screenWidth, int screenHeight, int width, int height) {
    return {(screenWidth - width) / 2, (screenHeight - height) / 2};
}

AboutRows ReadAboutRows(std::u16string_view serverName, IdentityPlatform& platform,
                        Registry& registry) noexcept {
    AboutRows rows;
    rows.serverName = Guarded([&] { return std::u16string(serverName); });
    // The user as the monitor window's header names them: the display name, or the account name
    // of an account that has none.
    rows.displayName = Guarded([&] { return HeaderUserName(platform); });
    rows.domain = Guarded([&] { return GetTcpipDomain(registry); });
    return rows;
}

}  // namespace vq
