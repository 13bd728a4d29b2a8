// The Linux tray program: the same worker and status display as on Windows, behind a Qt shell.
// It keeps one instance per desktop session (the newest wins), reads the server address from the
// command line or /etc/vq/vq.ini, answers the server with the account the name service gives, and
// quits in order when the session or a newer instance asks it to.

#include <unistd.h>

#include <QApplication>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QSocketNotifier>
#include <QSystemTrayIcon>
#include <QTimer>
#include <array>
#include <fstream>
#include <iterator>
#include <optional>

#include "app/instance_lock_posix.h"
#include "app/linux_places_posix.h"
#include "app/program_environment.h"
#include "app/termination_signals_posix.h"
#include "formats/utf8.h"
#include "identity/config_sources_posix.h"
#include "identity/configured_domain_name.h"
#include "identity/name_service_identity.h"
#include "identity/resolver_domain.h"
#include "identity/system_name_service_posix.h"
#include "identity/winbind_domain_name_posix.h"
#include "qt/info_form_qt.h"
#include "qt/monitor_form_qt.h"

namespace {

using namespace vq;

// How long a desktop may take to start its tray host after the program started with the session.
constexpr int kTrayHostGraceMs = 15000;

// Takes over from an earlier instance in this session; without a runtime folder or lock the
// program runs all the same.
std::optional<InstanceLock> TakeOverSession(const EnvironmentLookup& environment) {
    try {
        const std::filesystem::path folder = RuntimeFolder(environment);
        const std::optional<std::string> display = environment("DISPLAY");
        return InstanceLock::TakeOver(InstanceLockPath(folder, display.value_or("")));
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::u16string ReadWorkstationDomain() {
    std::array<char, 256> host{};
    if (gethostname(host.data(), host.size() - 1) != 0) host[0] = '\0';
    std::ifstream file("/etc/resolv.conf");
    const std::string resolver((std::istreambuf_iterator<char>(file)),
                               std::istreambuf_iterator<char>());
    return Utf8ToUtf16(WorkstationDomain(host.data(), resolver));
}

// With no tray host the icon cannot be seen: the worker keeps access authorized all the same, and
// the user is told once where the state can be seen.
void TellOnceWithoutTrayHost(TKVRMonitorForm& form) {
    if (QSystemTrayIcon::isSystemTrayAvailable()) return;
    auto* notice = new QMessageBox(
        QMessageBox::Information, QStringLiteral("Veltrano"),
        QStringLiteral("На этом рабочем столе нет области уведомлений, поэтому значок "
                       "авторизации не виден. Доступ в Интернет авторизуется как обычно.\n\n"
                       "Состояние учётной записи показывает кнопка «Состояние». Чтобы увидеть "
                       "это окно снова, запустите программу ещё раз."));
    QPushButton* show = notice->addButton(QStringLiteral("Состояние"), QMessageBox::ActionRole);
    notice->addButton(QMessageBox::Close);
    notice->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(show, &QPushButton::clicked, &form, [&form] { form.ShowBesideTray(); });
    notice->show();
}

}  // namespace

int main(int argc, char** argv) {
    // Wayland does not let a program place its own windows; the window goes beside the tray.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setApplicationName(QStringLiteral("vq"));

    // A newer instance, the session's end or a terminal asks the program to end: it quits in
    // order, taking its icon away. Caught before the session is taken over, so that a newer
    // instance's request is never missed.
    TerminationSignals terminationSignals;
    QSocketNotifier endRequests(terminationSignals.ReadFd(), QSocketNotifier::Read);
    QObject::connect(&endRequests, &QSocketNotifier::activated, [&terminationSignals] {
        if (!terminationSignals.TakeSignals().empty()) QApplication::quit();
    });

    const EnvironmentLookup environment = ProcessEnvironment();
    const std::optional<InstanceLock> instance = TakeOverSession(environment);

    const std::vector<std::u16string> arguments = ProgramArguments();
    PosixConfigSources sources(arguments);
    const std::unique_ptr<NameService> names = SystemNameService();
    WinbindDomainName winbind;
    ConfiguredDomainName domain(sources, winbind);
    NameServiceIdentity identity(*names, domain, LoggedOnUserId());

    std::u16string logFolder;
    try {
        logFolder = Utf8ToUtf16(StateFolder(environment).string());
    } catch (const std::exception&) {
        // No home folder: the log, written only on request, then fails and says so.
    }

    std::unique_ptr<TKVRMonitorForm> form;
    TInfoForm about([&] {
        return AboutRows{form ? form->ServerName() : std::u16string(), identity.DisplayName(),
                         ReadWorkstationDomain()};
    });

    MonitorServices services;
    services.arguments = arguments;
    services.configSources = &sources;
    services.answerNeedData = [&identity](TValueList& values) {
        identity.HandleAuthNeedData(values);
    };
    services.headerUserName = identity.HeaderUserName();
    services.logFolder = logFolder;
    // As on Windows, without the arguments: the new instance reads the address from the system
    // file, and a "cdebug" log ends with the old instance.
    services.relaunch = [] {
        QProcess::startDetached(QCoreApplication::applicationFilePath(), {});
    };
    services.showAbout = [&about] { about.Show(); };
    form = std::make_unique<TKVRMonitorForm>(std::move(services));

    QTimer::singleShot(kTrayHostGraceMs, form.get(), [&form] { TellOnceWithoutTrayHost(*form); });
    const int result = QApplication::exec();
    form.reset();
    return result;
}
