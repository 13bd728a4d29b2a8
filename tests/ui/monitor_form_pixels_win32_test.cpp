// The monitor window as it looks for each status: the real window, driven by the worker's reports,
// shown on the screen and read back from it. Fonts differ from one system to another, so the
// checks look at regions and colours, never at glyphs: which status picture is in front, the
// colour of each text, which lower panel is shown, and the usage bar's blocks. A failed check
// writes the actual and the expected picture to build/logs and names them.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "app/program_environment.h"
#include "auth/auth_messages.h"
#include "formats/value_list.h"
#include "resources/resource_names.h"
#include "tests/support/silent_server_win32.h"
#include "ui/monitor_form_win32.h"
#include "ui/monitor_layout.h"
#include "ui/monitor_pictures.h"
#include "ui/traffic_bar_settings.h"
#include "widgets/dib_section_win32.h"
#include "widgets/picture_resource_win32.h"
#include "widgets/png_writer.h"
#include "widgets/q_progress_bar.h"

namespace vq {
namespace {

namespace fs = std::filesystem;
using namespace monitor_layout;

const Bgra kWhite{255, 255, 255, 255};
constexpr ViewColor kInactiveBlock = ViewRgb(230, 230, 230);  // the bar's empty blocks

// Where the failures' pictures go: build/logs of the source tree (on drive Z: under Wine, which
// maps the Unix root there).
fs::path LogFolder() {
    std::string root = VQ_SOURCE_DIR;
    if (!root.empty() && root.front() == '/') root = "Z:" + root;
    return fs::path(root) / "build" / "logs";
}

PixelSurface Crop(const PixelSurface& from, const ControlRect& r) {
    PixelSurface part(r.width, r.height, kWhite);
    for (int y = 0; y < r.height; ++y)
        for (int x = 0; x < r.width; ++x)
            if (from.Contains(r.left + x, r.top + y))
                part.At(x, y) = from.At(r.left + x, r.top + y);
    return part;
}

int Distance(Bgra a, Bgra b) {
    return std::max({std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
}

int MaxDistance(const PixelSurface& a, const PixelSurface& b) {
    int worst = 0;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            worst = std::max(worst, Distance(a.At(x, y), b.At(x, y)));
    return worst;
}

Bgra Colour(ViewColor c) { return BgraFromColorRef(c); }

// A pixel of text: clearly off the white background (the edges of smoothed glyphs are not).
bool IsInk(Bgra p) { return Distance(p, kWhite) > 96; }

// The colour most pixels of text in the region have, or nothing when the region holds no text.
std::optional<Bgra> DominantInk(const PixelSurface& region) {
    std::map<std::uint32_t, int> counts;
    for (int y = 0; y < region.Height(); ++y)
        for (int x = 0; x < region.Width(); ++x) {
            const Bgra p = region.At(x, y);
            if (IsInk(p)) ++counts[(p.r << 16) | (p.g << 8) | p.b];
        }
    if (counts.empty()) return std::nullopt;
    const auto most =
        std::max_element(counts.begin(), counts.end(),
                         [](const auto& a, const auto& b) { return a.second < b.second; });
    return Bgra{static_cast<std::uint8_t>(most->first), static_cast<std::uint8_t>(most->first >> 8),
                static_cast<std::uint8_t>(most->first >> 16), 255};
}

// The picture as the window draws it, on the white background, in the control's place.
PixelSurface OnWhite(const PixelSurface& picture, const ControlRect& control,
                     const ControlRect& region) {
    PixelSurface client(kMonitorClientWidth, kMonitorClientHeight, kWhite);
    DrawPictureInControl(client, picture, control);
    return Crop(client, region);
}

// The usage bar at a position, as its control paints it with the window's settings.
PixelSurface BarAt(int position) {
    TQProgressBar bar;
    ApplyTrafficBarSettings(bar);
    bar.SetBounds(kTrafProgress.width, kTrafProgress.height);
    bar.SetPosition(position);
    PixelSurface surface;
    bar.Paint(surface, RgbColor(255, 255, 255));
    for (int y = 0; y < surface.Height(); ++y)
        for (int x = 0; x < surface.Width(); ++x) surface.At(x, y).a = 255;
    return surface;
}

// The window shown beside the pointer, as on a hover, painted, and read back from the screen
// (its texts are child windows, which only the screen shows together with the window).
PixelSurface ShowAndCapture(TKVRMonitorForm& form) {
    SetCursorPos(600, 450);
    form.CoolTrayIcon1MouseEnter();
    RedrawWindow(form.Handle(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    POINT origin{0, 0};
    ClientToScreen(form.Handle(), &origin);
    DibSection capture(kMonitorClientWidth, kMonitorClientHeight);
    const HDC screen = GetDC(nullptr);
    BitBlt(capture.Dc(), 0, 0, kMonitorClientWidth, kMonitorClientHeight, screen, origin.x,
           origin.y, SRCCOPY);
    ReleaseDC(nullptr, screen);
    PixelSurface pixels = capture.ToSurface();
    for (int y = 0; y < pixels.Height(); ++y)
        for (int x = 0; x < pixels.Width(); ++x) pixels.At(x, y).a = 255;
    return pixels;
}

// One status's capture and its checks; a failed check keeps its pictures.
class Look {
public:
    Look(std::string row, PixelSurface window) : row_(std::move(row)), window_(std::move(window)) {}

    // Which of the four status pictures is in front: the one the region matches (its top 37 rows;
    // the state line's text may show through the last ones).
    void ExpectFrontPicture(const std::map<std::string, PixelSurface>& pictures,
                            const std::string& expected) {
        const ControlRect region{0, 0, 38, 37};
        const PixelSurface actual = Crop(window_, region);
        std::string best;
        int bestDistance = 256;
        for (const auto& [name, picture] : pictures) {
            const int d = MaxDistance(actual, OnWhite(picture, kStatusPicture, region));
            if (d < bestDistance) best = name, bestDistance = d;
        }
        if (best != expected || bestDistance > 2)
            ADD_FAILURE() << "picture in front: " << best << " (off by " << bestDistance
                          << "), expected " << expected
                          << Keep("picture", actual,
                                  OnWhite(pictures.at(expected), kStatusPicture, region));
    }

    // The pie chart beside the balance rows: shown exactly when the rows are.
    void ExpectPieChart(const PixelSurface& pie, bool shown) {
        const ControlRect region{3, 67, 30, 24};
        const PixelSurface actual = Crop(window_, region);
        const PixelSurface expected = OnWhite(pie, kImage1, region);
        const int d = MaxDistance(actual, expected);
        if ((d <= 2) != shown)
            ADD_FAILURE() << "pie chart " << (shown ? "missing" : "shown") << " (off by " << d
                          << ")"
                          << Keep("pie", actual, shown ? expected : PixelSurface(30, 24, kWhite));
    }

    // The colour of a text: the dominant colour of the text pixels in its region, or no text.
    void ExpectInk(const std::string& name, const ControlRect& region,
                   std::optional<ViewColor> colour) {
        const PixelSurface actual = Crop(window_, region);
        const std::optional<Bgra> ink = DominantInk(actual);
        const bool ok = colour ? ink && Distance(*ink, Colour(*colour)) <= 24 : !ink;
        if (ok) return;
        // Expected: the same text pixels in the wanted colour, none when no text is wanted, and
        // the region in that colour when text is wanted but there is none.
        PixelSurface expected = actual;
        if (colour && !ink) expected.Fill(Colour(*colour));
        for (int y = 0; y < expected.Height(); ++y)
            for (int x = 0; x < expected.Width(); ++x)
                if (IsInk(expected.At(x, y))) expected.At(x, y) = colour ? Colour(*colour) : kWhite;
        const auto describe = [](std::optional<Bgra> c) {
            return c ? "RGB(" + std::to_string(c->r) + ", " + std::to_string(c->g) + ", " +
                           std::to_string(c->b) + ")"
                     : std::string("no text");
        };
        ADD_FAILURE() << name << ": " << describe(ink) << ", expected "
                      << describe(colour ? std::optional<Bgra>(Colour(*colour)) : std::nullopt)
                      << Keep(name, actual, expected);
    }

    // The usage bar: its blocks as the control paints them at the position, or no bar at all (no
    // empty blocks in its strip).
    void ExpectBar(std::optional<int> position) {
        const PixelSurface actual = Crop(window_, kTrafProgress);
        if (position) {
            const PixelSurface expected = BarAt(*position);
            const int d = MaxDistance(actual, expected);
            if (d > 2)
                ADD_FAILURE() << "usage bar at " << *position << " off by " << d
                              << Keep("bar", actual, expected);
            return;
        }
        int empty = 0;
        for (int y = 0; y < actual.Height(); ++y)
            for (int x = 0; x < actual.Width(); ++x)
                empty += actual.At(x, y) == Colour(kInactiveBlock) ? 1 : 0;
        if (empty >= 8)
            ADD_FAILURE() << "usage bar shown (" << empty << " pixels of empty blocks)"
                          << Keep("bar", actual,
                                  PixelSurface(actual.Width(), actual.Height(), kWhite));
    }

private:
    // Writes the pictures (four times enlarged) and the whole window; returns the message part
    // that names them.
    std::string Keep(const std::string& check, const PixelSurface& actual,
                     const PixelSurface& expected) {
        const fs::path folder = LogFolder();
        std::error_code error;
        fs::create_directories(folder, error);
        const std::string stem = "monitor-" + row_ + "-" + check;
        const fs::path actualFile = folder / (stem + "-actual.png");
        const fs::path expectedFile = folder / (stem + "-expected.png");
        const fs::path windowFile = folder / ("monitor-" + row_ + "-window.png");
        try {
            WritePng(Scaled(actual, 4), actualFile);
            WritePng(Scaled(expected, 4), expectedFile);
            WritePng(Scaled(window_, 2), windowFile);
        } catch (...) {
            return "; the pictures could not be written to " + folder.string();
        }
        const auto named = [](const fs::path& file) {
            return "build/logs/" + file.filename().string();
        };
        return "; actual " + named(actualFile) + ", expected " + named(expectedFile) +
               ", the window " + named(windowFile) + " (enlarged)";
    }

    std::string row_;
    PixelSurface window_;
};

// The worker's reports, as it sends them.
void Status(TKVRMonitorForm& form,
            std::initializer_list<std::pair<const char16_t*, const char16_t*>> fields) {
    TValueList list;
    for (const auto& [name, value] : fields) list.SetItem(name, value);
    SendMessageW(form.Handle(), WM_AUTH_STATUS, 0, reinterpret_cast<LPARAM>(&list));
}

// A failure text longer than the panel.
constexpr char16_t kLongFailure[] =
    u"Не удалось подключиться к 127.0.0.1:8080: Подключение не установлено, так как конечный компьютер "
    u"отверг запрос на подключение. Повторите попытку позже или обратитесь к администратору сети.";

TEST(MonitorFormPixels, EachStatusLooksAsItShould) {
    const HMODULE module = GetModuleHandleW(nullptr);
    std::map<std::string, PixelSurface> pictures;
    for (const auto& [name, resource] : {std::pair{"PicConecting", VQ_RES_PIC_CONECTING},
                                         {"PicPause", VQ_RES_PIC_PAUSE},
                                         {"PicConected", VQ_RES_PIC_CONECTED},
                                         {"PicStop", VQ_RES_PIC_STOP}}) {
        std::optional<PixelSurface> picture = LoadPictureResource(module, resource);
        ASSERT_TRUE(picture) << name;
        pictures[name] = std::move(*picture);
    }
    const std::optional<PixelSurface> pie = LoadPictureResource(module, VQ_RES_PIE_CHART);
    ASSERT_TRUE(pie);
    const ViewColor header = static_cast<ViewColor>(GetSysColor(COLOR_WINDOWTEXT));

    constexpr int kNoBar = -1;
    struct Row {
        const char* name;
        std::function<void(TKVRMonitorForm&)> reports;  // from the window as start-up leaves it
        const char* picture;
        std::optional<ViewColor> panel;  // the failure panel's text colour; nothing: the rows
        ViewColor balance;               // the balance's colour, when the rows are shown
        int bar;                         // the usage bar's position, or kNoBar
        bool totalRow;                   // "Всего" and the total traffic at the bottom
    };
    const std::u16string failure = kLongFailure;
    const Row rows[] = {
        {"connecting", [](TKVRMonitorForm&) {}, "PicConecting", kBlack, kBlack, kNoBar, false},
        {"server-error",
         [&](TKVRMonitorForm& f) {
             SendMessageW(f.Handle(), WM_AUTH_ERROR, 0, reinterpret_cast<LPARAM>(failure.c_str()));
         },
         "PicConecting", kRed, kBlack, kNoBar, false},
        {"ok-limited",
         [](TKVRMonitorForm& f) {
             Status(f, {{u"blocked", u"0"},
                        {u"unlim", u"0"},
                        {u"dname", u"Петров Пётр"},
                        {u"tarif", u"Стандарт 800"},
                        {u"balans", u"150"},
                        {u"day_balans", u"12.5"},
                        {u"month_fullpayment", u"300"},
                        {u"traf_currency", u"руб."}});
         },
         "PicConected", std::nullopt, kBlack, 50, false},
        {"ok-unlimited",
         [](TKVRMonitorForm& f) {
             Status(f, {{u"blocked", u"0"},
                        {u"unlim", u"1"},
                        {u"dname", u"Петров Пётр"},
                        {u"tarif", u"Безлимитный"},
                        {u"traf", u"1048576"},
                        {u"day_traf", u"524288"}});
         },
         "PicConected", std::nullopt, kBlack, kNoBar, true},
        {"out-of-balance",
         [](TKVRMonitorForm& f) {
             Status(f, {{u"blocked", u"0"},
                        {u"unlim", u"0"},
                        {u"tarif", u"Стандарт 800"},
                        {u"balans", u"0"},
                        {u"month_fullpayment", u"300"},
                        {u"traf_currency", u"руб."}});
         },
         "PicStop", std::nullopt, kRed, 0, false},
        // Right after start-up the blocked text is black; the bar stands in the panel's bottom strip.
        {"blocked",
         [](TKVRMonitorForm& f) {
             Status(f, {{u"blocked", u"1"},
                        {u"unlim", u"0"},
                        {u"balans", u"150"},
                        {u"month_fullpayment", u"300"}});
         },
         "PicStop", kBlack, kBlack, 50, false},
        {"auth-failed", [](TKVRMonitorForm& f) { SendMessageW(f.Handle(), WM_AUTH_FAILED, 0, 0); },
         "PicStop", kRed, kBlack, kNoBar, false},
        // No report leads there; the rows show what they held, the bar its first position.
        {"suspended", [](TKVRMonitorForm& f) { f.SetStatus(esSuspended); }, "PicPause",
         std::nullopt, kBlack, 68, false},
    };

    test::SilentServer server;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TKVRMonitorForm form{ProgramStart{module, {server.Argument()}, ExecutablePath(), {}}};
        ASSERT_NE(form.Handle(), nullptr);
        row.reports(form);
        Look look(row.name, ShowAndCapture(form));

        look.ExpectFrontPicture(pictures, row.picture);
        look.ExpectInk("header", kDisplayUserName, header);
        look.ExpectInk("state-line", ControlRect{kLabel1.left, 40, kLabel1.width, 12},
                       kStateLineGrey);
        look.ExpectPieChart(*pie, !row.panel);
        if (row.panel) {
            look.ExpectInk("panel",
                           ControlRect{kErrorLabel.left, kErrorLabel.top, kErrorLabel.width, 40},
                           row.panel);
        } else {
            look.ExpectInk("tariff", kTarif, kBlack);
            look.ExpectInk("balance", kOstatok, row.balance);
            if (row.totalRow) look.ExpectInk("total", kFullTraf, kBlack);
        }
        look.ExpectBar(row.bar == kNoBar ? std::nullopt : std::optional<int>(row.bar));
    }
}

// A failure text taller than the panel is cut at the panel's bottom edge, and the line that fits
// only in part shows that part. Lines of full blocks (U+2588, as tall as a line) leave text in the
// panel's last two rows whatever the font's line height, unless it divides the panel's 50 pixels.
TEST(MonitorFormPixels, FailureTextTallerThanThePanelShowsItsPartlyVisibleLine) {
    test::SilentServer server;
    TKVRMonitorForm form{
        ProgramStart{GetModuleHandleW(nullptr), {server.Argument()}, ExecutablePath(), {}}};
    ASSERT_NE(form.Handle(), nullptr);
    std::u16string blocks;
    for (int line = 0; line < 8; ++line) blocks += std::u16string(16, u'\u2588') + u"\r\n";
    SendMessageW(form.Handle(), WM_AUTH_ERROR, 0, reinterpret_cast<LPARAM>(blocks.c_str()));
    Look look("failure-cut", ShowAndCapture(form));
    look.ExpectInk("panel-bottom", ControlRect{0, kErrorLabel.Bottom() - 2, kErrorLabel.width, 2},
                   kRed);
}

}  // namespace
}  // namespace vq
