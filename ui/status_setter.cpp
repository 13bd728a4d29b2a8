#include "ui/status_setter.h"

#include <string>

namespace vq {
namespace {

constexpr std::u16string_view kConnectingLine = u"Подключение...";
constexpr std::u16string_view kWaitingText = u"Ожидание подключения к серверу...";
constexpr std::u16string_view kBlockedText = u"Учетная запись заблокированна администратором сети";
constexpr std::u16string_view kBlockedLine = u"Отключено";
constexpr std::u16string_view kOutOfBalanceLine = u"Лимит трафика исчерпан";
constexpr std::u16string_view kSuspendedLine = u"Приостановлено";
constexpr std::u16string_view kAuthFailedHeader = u"Доступ в Интернет заблокирован";
constexpr std::u16string_view kAuthFailedLine = u"Ошибка авторизации";
constexpr std::u16string_view kAuthFailedText =
    u"Для получения доступа к Интернет обратитесь к администратору сети.";

// Cycling on restarts the spinner at frame 0; setting the list resets the index to 0.
void TraySpin(TrayView& tray) {
    tray.cycleIcons = true;
    tray.list = TrayIconList::LoadingIcon;
    tray.iconIndex = 0;
    ++tray.assignments;
}

void TrayFixed(TrayView& tray, int index) {
    tray.cycleIcons = false;
    tray.list = TrayIconList::NormalIcons;
    tray.iconIndex = index;
    ++tray.assignments;
}

// Out of balance and suspended: the account rows stay, with a stop or pause picture and the
// red icon.
void ShowStoppedAccount(MonitorView& view, StatusPicture picture, std::u16string_view line) {
    ShowErrorPanel(view, false);
    view.frontPicture = picture;
    view.DisplayUserName.color = kBlack;
    TrayFixed(view.tray, kTrayIconStopped);
    view.Label1.text = line;
}

}  // namespace

std::u16string ConnectingHeader(std::u16string_view serverName) {
    std::u16string header = u"Подключение к ";
    header += serverName;
    header += u"...";
    return header;
}

void ShowErrorPanel(MonitorView& view, bool show) {
    view.ErrorLabel.visible = show;
    for (ViewText* row :
         {&view.Tarif, &view.StaticText3, &view.StaticText4, &view.Ostatok, &view.Dayli})
        row->visible = !show;
    view.TrafProgress.visible = !show;
    view.Image1Visible = !show;
    if (show) {
        view.FullTitle.visible = false;
        view.FullTraf.visible = false;
    }
}

bool SetStatus(MonitorView& view, TConectionStatus value, const StatusContext& context) {
    if (value == view.FErrorStatus) return false;
    switch (value) {
    case esOK:
        ShowErrorPanel(view, false);
        view.frontPicture = StatusPicture::PicConected;
        view.DisplayUserName.color = kBlack;
        TrayFixed(view.tray, kTrayIconOk);
        break;
    case esConecting:
        view.DisplayUserName.text = ConnectingHeader(context.serverName);
        view.Label1.text = kConnectingLine;
        view.frontPicture = StatusPicture::PicConecting;
        view.ErrorLabel.color = kBlack;
        view.ErrorLabel.text = kWaitingText;
        ShowErrorPanel(view, true);
        TraySpin(view.tray);
        break;
    case esConectionFailed:
    case esServerInternalError:
        view.DisplayUserName.text = ConnectingHeader(context.serverName);
        view.Label1.text = kConnectingLine;
        view.frontPicture = StatusPicture::PicConecting;
        view.ErrorLabel.color = kRed;
        view.ErrorLabel.text = context.errorMessage;
        ShowErrorPanel(view, true);
        TraySpin(view.tray);
        break;
    case esBlocked:
        view.DisplayUserName.text = ConnectingHeader(context.serverName);
        ShowErrorPanel(view, true);
        view.frontPicture = StatusPicture::PicStop;
        view.DisplayUserName.color = kBlack;
        TrayFixed(view.tray, kTrayIconStopped);
        view.ErrorLabel.text = kBlockedText;
        view.Label1.text = kBlockedLine;
        break;
    case esOutOfBalance: ShowStoppedAccount(view, StatusPicture::PicStop, kOutOfBalanceLine); break;
    case esSuspended: ShowStoppedAccount(view, StatusPicture::PicPause, kSuspendedLine); break;
    case esAuthFailed:
        view.DisplayUserName.text = kAuthFailedHeader;
        view.Label1.text = kAuthFailedLine;
        view.frontPicture = StatusPicture::PicStop;
        view.ErrorLabel.color = kRed;
        view.ErrorLabel.text = kAuthFailedText;
        TrayFixed(view.tray, kTrayIconStopped);
        break;
    default:
        // Not one of the eight statuses: nothing to show, and the status stays as it was.
        return false;
    }
    view.FErrorStatus = value;
    return true;
}

}  // namespace vq
