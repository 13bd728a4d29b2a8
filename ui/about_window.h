#pragma once
// The about window's rules without a window: its texts and web addresses, where each of its
// controls sits and how it looks, which control a point falls on, what a click there does, and
// the three information rows read afresh at every showing. The Win32 shell (TInfoForm,
// info_form_win32.h) measures the texts, paints, and carries out the clicks.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "formats/registry.h"
#include "identity/identity_platform.h"

namespace vq {

// The web addresses: the logo opens the maker's site; the two link labels show and open their
// own captions.
inline constexpr std::u16string_view kMakerSiteAddress = u"http://www.tolmar.ru/";
inline constexpr std::u16string_view kProductPageAddress = u"http://www.tolmar.ru/veltrano/";
inline constexpr std::u16string_view kProductForumAddress = u"http://forum.tolmar.ru/veltrano/";

// The fixed captions.
inline constexpr std::u16string_view kAboutCreditLine =
    u"\u00A9 2009\u20132026 Tolmar, Санкт-Петербург";
inline constexpr std::u16string_view kAboutServerCaption = u"Адрес сервера";
inline constexpr std::u16string_view kAboutUserCaption = u"Пользователь";
inline constexpr std::u16string_view kAboutDomainCaption = u"Домен";
inline constexpr std::u16string_view kAboutTitle = u"Veltrano";
inline constexpr std::u16string_view kAboutSubtitle = u"Клиент авторизации для Veltrano.";

// The window's client area, white.
inline constexpr int kAboutWidth = 274;
inline constexpr int kAboutHeight = 179;

// The parts of the window a click can land on. Background is the window's own surface.
enum class AboutPart : std::uint8_t {
    Background,
    Image1,       // the globe with a mouse, top left
    Label1,       // the credit line with the year
    Label2,       // the caption «Адрес сервера»
    Label3,       // the caption «Пользователь»
    Label4,       // the server address
    Label5,       // the user's display name
    Label6,       // the caption «Домен»
    Label7,       // the workstation's domain
    Label8,       // link: the product's page
    Label9,       // link: the product's forum
    Image2,       // the maker's logo, a link to its site
    StaticText1,  // the title «Veltrano»
    StaticText2,  // the subtitle «Клиент авторизации для Veltrano.»
    Shape1,       // the separator line above the three rows
};
inline constexpr std::size_t kAboutPartCount = 15;

enum class AboutClick : std::uint8_t {
    Close,           // StaticText1Click: hides the window
    OpenMakerSite,   // Image2Click
    OpenOwnCaption,  // Label9Click, shared by Label8 and Label9
    Nothing,         // the separator line has no click handler
};

AboutClick ClickAction(AboutPart part);
// Image2, Label8 and Label9 show the hand cursor.
bool ShowsHandCursor(AboutPart part);
// Label8 and Label9 are underlined while the pointer is over them.
bool UnderlinesOnHover(AboutPart part);

// The fonts of the window: the window font (Tahoma 8 pt), its bold variant, the links' Arial
// 8 pt and the title's Times New Roman 40 pt italic.
enum class AboutFont : std::uint8_t { Window, Bold, Link, Title };

enum class AboutPaint : std::uint8_t { Text, Picture, Line };

struct AboutControl {
    AboutPart part;
    AboutPaint paint;
    int left;
    int top;
    // The size the control has until its content is measured (its design size).
    int width;
    int height;
    // Sizes to its text or picture.
    bool autoSize;
    AboutFont font;
    std::uint32_t color;  // 0x00BBGGRR: the text colour, or the line's pen
};

// The controls in the order the form creates them. The two static texts are windows of their own
// in the original form, so they lie above all the others; among the rest a later one lies above
// an earlier one.
const std::array<AboutControl, kAboutPartCount - 1>& AboutControls();
const AboutControl& AboutControlOf(AboutPart part);

// The fixed caption of a text control; the rows (Label4, Label5, Label7) have none of their own.
std::u16string_view AboutFixedCaption(AboutPart part);

struct AboutRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    friend bool operator==(const AboutRect&, const AboutRect&) = default;
};

// Where every control lies once the texts are measured.
class AboutLayout {
public:
    AboutLayout();
    // A control that sizes to its content gets that size at its place; fixed ones keep theirs.
    void SetContentSize(AboutPart part, int width, int height);
    AboutRect Rect(AboutPart part) const;
    // The topmost control under the client point; Background inside the window where no control
    // is, nothing outside the client area.
    std::optional<AboutPart> PartAt(int x, int y) const;

private:
    std::array<AboutRect, kAboutPartCount> rects_{};
};

// The top-left corner of a window centred on the screen, as the framework places a form at its
// first showing.
struct AboutPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const AboutPoint&, const AboutPoint&) = default;
};
AboutPoint CentredOnScreen(int screenWidth, int screenHeight, int width, int height);

// The three information rows, read afresh at every showing.
struct AboutRows {
    std::u16string serverName;   // Label4: the monitor window's ServerName
    std::u16string displayName;  // Label5: the logged-on user's display name
    std::u16string domain;       // Label7: the workstation's DNS domain

    friend bool operator==(const AboutRows&, const AboutRows&) = default;
};

// Reads the display name and the domain afresh; a value that cannot be read is empty text.
// Never raises.
AboutRows ReadAboutRows(std::u16string_view serverName, IdentityPlatform& platform,
                        Registry& registry) noexcept;

}  // namespace vq
