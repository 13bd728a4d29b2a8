#pragma once
// What the monitor window shows, as plain data: the text, colour and visibility of every control
// the status and the account reports change, which status picture is in front, the usage bar and
// what the tray icon shows. The rules work on this state; the window only copies it onto its
// controls, so every rule is testable without a window.

#include <cstdint>
#include <string>

#include "ui/conection_status.h"

namespace vq {

// A colour as 0x00BBGGRR, or kWindowTextColor for the system's window-text colour.
using ViewColor = std::uint32_t;

constexpr ViewColor ViewRgb(int r, int g, int b) {
    return static_cast<ViewColor>(r & 0xFF) | (static_cast<ViewColor>(g & 0xFF) << 8) |
           (static_cast<ViewColor>(b & 0xFF) << 16);
}
inline constexpr ViewColor kBlack = ViewRgb(0, 0, 0);
inline constexpr ViewColor kRed = ViewRgb(255, 0, 0);
inline constexpr ViewColor kStateLineGrey = ViewRgb(79, 79, 79);
inline constexpr ViewColor kWindowTextColor = 0xFF000008;

struct ViewText {
    std::u16string text;
    ViewColor color = kBlack;
    bool visible = true;

    friend bool operator==(const ViewText&, const ViewText&) = default;
};

// The four status pictures, stacked at the same place; one of them is in front.
enum class StatusPicture : std::uint8_t { PicConecting, PicPause, PicConected, PicStop };

// The tray icon's two image lists: the twelve-frame spinner and the seven still icons.
enum class TrayIconList : std::uint8_t { LoadingIcon, NormalIcons };

// What the tray icon shows. `assignments` counts the status changes that set the tray, so that a
// window applying the view sees a re-entered spin (which restarts at frame 0) as a change.
struct TrayView {
    bool cycleIcons = true;
    TrayIconList list = TrayIconList::LoadingIcon;
    int iconIndex = 10;
    std::uint32_t assignments = 0;

    friend bool operator==(const TrayView&, const TrayView&) = default;
};

// The still icons of NormalIcons by index.
inline constexpr int kTrayIconOk = 0;
inline constexpr int kTrayIconStopped = 1;
// The menu's pictures, from the same list.
inline constexpr int kMenuIconExit = 4;
inline constexpr int kMenuIconAbout = 5;
inline constexpr int kMenuIconReconnect = 6;

struct BarView {
    bool visible = true;
    int position = 68;

    friend bool operator==(const BarView&, const BarView&) = default;
};

// The monitor window as it is when created: status esOK, the controls' design-time texts, the
// stop sign in front (the last of the four pictures created) and the spinner's frame 10 in the
// tray.
struct MonitorView {
    TConectionStatus FErrorStatus = esOK;  // the status shown

    ViewText ErrorLabel{u"ErrorLabel", kBlack, true};  // the error panel's text, under the header
    StatusPicture frontPicture = StatusPicture::PicStop;
    ViewText Label1{u"Подключение...", kStateLineGrey, true};  // the state line under the picture
    bool Image1Visible = true;                                 // the pie chart beside the rows
    ViewText DisplayUserName{u"", kWindowTextColor, true};     // the header: the user's name
    ViewText Tarif{u"Тариф не определен", kBlack, true};       // the tariff row
    BarView TrafProgress{};                                    // the usage bar
    ViewText FullTitle{u"Всего", kBlack, false};               // the caption «Всего»
    ViewText FullTraf{u"0000,00", kBlack, false};              // the total traffic beside it
    ViewText Dayli{u"0000,00", kBlack, true};                  // today's spending or traffic
    ViewText StaticText4{u"За сегодня", kBlack, true};  // the caption «За сегодня»
    ViewText StaticText3{u"Баланс", kBlack, true};      // the caption «Баланс»
    ViewText Ostatok{u"0000,00", kBlack, true};         // the balance beside «Баланс»

    TrayView tray{};

    friend bool operator==(const MonitorView&, const MonitorView&) = default;
};

}  // namespace vq
