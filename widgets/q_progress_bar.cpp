#include "widgets/q_progress_bar.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

namespace vq {
namespace {

// Blocks start at this drawing position whatever the border.
constexpr int kFirstBlockStart = 3;
constexpr int kRoundCorner = 5;
constexpr int kHlsMax = 240;
// The metal look shifts a colour's own lightness by the glass curve less this much.
constexpr int kMetalShift = 212;
constexpr int kHideDelayMs = 100;

std::int32_t ClampToInt32(long long value) {
    return static_cast<std::int32_t>(std::clamp<long long>(
        value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

std::u16string Ascii(const std::string& text) { return {text.begin(), text.end()}; }

}  // namespace

long double GlassLuminance(long double x) {
    const long double x2 = x * x;
    const long double x3 = x2 * x;
    const long double x4 = x3 * x;
    const long double x5 = x4 * x;
    return -4342.9L * x5 + 10543.0L * x4 - 8216.0L * x3 + 2018.1L * x2 + 11.096L * x + 164.6L;
}

long long RoundHalfEven(long double value) {
    const long double lower = std::floor(value);
    const long double fraction = value - lower;
    auto result = static_cast<long long>(lower);
    if (fraction > 0.5L || (fraction == 0.5L && result % 2 != 0)) ++result;
    return result;
}

std::u16string FormatPercent(double value, char16_t decimal_separator) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15G", value);
    std::string text = buffer;
    // Exponent as "E-8" rather than "E-08": no plus sign, no leading zeros.
    if (const auto e = text.find('E'); e != std::string::npos) {
        std::string exponent = text.substr(e + 1);
        const bool negative = !exponent.empty() && exponent[0] == '-';
        if (!exponent.empty() && (exponent[0] == '-' || exponent[0] == '+')) exponent.erase(0, 1);
        exponent.erase(0, std::min(exponent.find_first_not_of('0'), exponent.size() - 1));
        text = text.substr(0, e) + (negative ? "E-" : "E") + exponent;
    }
    std::u16string result = Ascii(text);
    std::replace(result.begin(), result.end(), u'.', decimal_separator);
    return result;
}

TQProgressBar::TQProgressBar(QProgressBarHost* host) : fHost(host) {
    fPosDescr.resize(1);
    UpdateDrawSpace();
    BuildColorTables();
    SetPosition(0);
}

// ---- geometry and tables ----

int TQProgressBar::TableDepth() const {
    return (fOrientation == boHorizontal ? fHeight : fWidth) - fBorderSize + 1;
}

void TQProgressBar::UpdateDrawSpace() {
    fUSefullDrawSpace = (fOrientation == boHorizontal ? fWidth : fHeight) - fBorderSize;
    fMinVisPos = fBorderSize + 1;
}

void TQProgressBar::BuildBlockLayout() {
    if (fBlockSize == 0 || fSpaceSize == 0) return;
    const int n = fUSefullDrawSpace;
    const long long block = fBlockSize;
    const long long gap = fSpaceSize;
    fPosDescr.assign(static_cast<std::size_t>(std::max(n, 0)) + 1, TPosDescr{});
    if (fOrientation == boHorizontal) {
        long long start = kFirstBlockStart;
        long long limit = start + block - 1;
        for (int i = 1; i <= n; ++i) {
            auto& entry = fPosDescr[static_cast<std::size_t>(i)];
            entry.isInBlock = start <= i && i <= limit;
            entry.blkLimit = ClampToInt32(limit);
            if (i == limit) {
                start = limit + gap + 1;
                limit = std::min<long long>(start + block - 1, n);
            }
        }
    } else {
        // The bar grows upwards: blocks are counted from the bottom end.
        long long start = static_cast<long long>(n) - kFirstBlockStart;
        long long limit = start - block + 1;
        for (int i = n; i >= fBorderSize; --i) {
            auto& entry = fPosDescr[static_cast<std::size_t>(i)];
            entry.isInBlock = limit <= i && i <= start;
            entry.blkLimit = ClampToInt32(limit);
            if (i == limit) {
                start = limit - gap - 1;
                limit = std::max<long long>(start - block + 1, fBorderSize);
            }
        }
    }
}

QColor TQProgressBar::GradientColor(int i) const {
    const int n = fUSefullDrawSpace;
    if (fMonoClr || i <= 0) return fStartClr;
    if (i >= n) return fFinalClr;
    if (fStartClr == fFinalClr) return fStartClr;
    const double r = static_cast<double>(i) / n;
    const auto channel = [r](int x, int y) {
        if (x < y) return x + static_cast<int>(std::trunc((y - x) * r));
        if (x > y) return x - static_cast<int>(std::trunc((x - y) * r));
        return x;
    };
    return RgbColor(channel(RedOf(fStartClr), RedOf(fFinalClr)),
                    channel(GreenOf(fStartClr), GreenOf(fFinalClr)),
                    channel(BlueOf(fStartClr), BlueOf(fFinalClr)));
}

TCLRArray TQProgressBar::ShadeProfile(QColor c, int depth) const {
    TCLRArray result;
    if (depth <= 0) return result;
    result.reserve(static_cast<std::size_t>(depth));
    const HlsColor hls = ColorToHLS(c);
    for (int k = 0; k < depth; ++k) {
        const long double x = static_cast<long double>(k) / depth;
        int l = 0;
        if (fBarLook == blGlass) {
            l = static_cast<int>(RoundHalfEven(GlassLuminance(x)));
        } else {
            l = hls.l - kMetalShift + static_cast<int>(std::trunc(GlassLuminance(x)));
            l = std::clamp(l, 0, kHlsMax);
        }
        result.push_back(HLSToColor(hls.h, l, hls.s));
    }
    return result;
}

void TQProgressBar::BuildColorTables() {
    if (fInitsLocked) return;
    const int n = fUSefullDrawSpace;
    const int depth = TableDepth();
    const auto flat = [depth](QColor c) {
        return TCLRArray(static_cast<std::size_t>(std::max(depth, 0)), c);
    };

    fPixDescr.assign(static_cast<std::size_t>(std::max(n, 0)) + 1, TCLRArray{});
    for (int i = 0; i <= std::max(n, 0); ++i) {
        const QColor c = GradientColor(i);
        fPixDescr[static_cast<std::size_t>(i)] =
            fBarKind == bkCylinder ? ShadeProfile(c, depth) : flat(c);
    }

    if (depth <= 1)
        fInactDescr.assign(1, fInactPosClr);
    else
        fInactDescr =
            fBarKind == bkCylinder ? ShadeProfile(fInactPosClr, depth) : flat(fInactPosClr);

    if (fBarKind == bkCylinder && fInvInactPos) {
        for (QColor& entry : fInactDescr) {
            HlsColor hls = ColorToHLS(entry);
            hls.l = kHlsMax - hls.l;
            entry = HLSToColor(hls);
        }
    }
}

void TQProgressBar::Resize() {
    fBorderSize = 2 * fInternalBorder;
    UpdateDrawSpace();
    if (fInitsLocked) return;
    if (fByBlock) BuildBlockLayout();
    BuildColorTables();
    SetPosition(fUserPos);
}

void TQProgressBar::UnlockInits() {
    fInitsLocked = false;
    BuildColorTables();
}

// ---- the control's own state ----

void TQProgressBar::SetBounds(int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == fWidth && height == fHeight) return;
    fWidth = width;
    fHeight = height;
    if (fHost) fHost->SizeChanged(width, height);
    Resize();
}

void TQProgressBar::SetVisible(bool value) {
    if (value == fVisible) return;
    fVisible = value;
    if (fHost) fHost->VisibleChanged(value);
}

void TQProgressBar::Redraw() {
    if (fHost) fHost->Redraw();
}

QTextSize TQProgressBar::Measure(std::u16string_view text) const {
    return fHost ? fHost->MeasureText(text, fCanvasFont) : QTextSize{};
}

std::u16string TQProgressBar::PercentText() const {
    return FormatPercent(fUSerPosPct, fDecimalSeparator);
}

std::u16string TQProgressBar::UserPosText() const { return Ascii(std::to_string(fUserPos)); }

// ---- stored settings ----

void TQProgressBar::SetOrientation(TQBarOrientation value) {
    fInitsLocked = true;
    if (value != fOrientation) {
        if ((value == boVertical && fHeight < fWidth) ||
            (value == boHorizontal && fWidth < fHeight))
            SetBounds(fHeight, fWidth);
        fOrientation = value;
    }
    const int thickness = fOrientation == boHorizontal ? fHeight : fWidth;
    fInternalBorder = thickness >= 10 ? 2 : 1;
    fBorderSize = 2 * fInternalBorder;
    UpdateDrawSpace();
    fInitsLocked = false;
    BuildBlockLayout();
    BuildColorTables();
    Redraw();
}

void TQProgressBar::SetBarKind(TQBarKind value) {
    fBarKind = value;
    BuildColorTables();
    Redraw();
}

void TQProgressBar::SetBarLook(TQBarLook value) {
    fBarLook = value;
    BuildColorTables();
    Redraw();
}

void TQProgressBar::SetRoundCorner(bool value) {
    fCorner = value ? kRoundCorner : 0;
    Redraw();
}

void TQProgressBar::SetBackgroundColor(QColor value) {
    fBkgClr = value;
    Redraw();
}

void TQProgressBar::SetBarColor(QColor value) {
    fMonoClr = true;
    fStartClr = value;
    fFinalClr = value;
    BuildColorTables();
    Redraw();
}

void TQProgressBar::SetStartColor(QColor value) {
    fStartClr = value;
    fMonoClr = value == fFinalClr;
    BuildColorTables();
    Redraw();
}

void TQProgressBar::SetFinalColor(QColor value) {
    fFinalClr = value;
    fMonoClr = value == fStartClr;
    BuildColorTables();
    Redraw();
}

void TQProgressBar::SetShowInactivePos(bool value) {
    fShowInactPos = value;
    BuildColorTables();
    Redraw();
}

void TQProgressBar::SetInvertInactPos(bool value) {
    fInvInactPos = value;
    BuildColorTables();
    Redraw();
}

void TQProgressBar::SetInactivePosColor(QColor value) {
    fInactPosClr = value;
    BuildColorTables();
    Redraw();
}

void TQProgressBar::SetShaped(bool value) {
    fHasShape = value;
    Redraw();
}

void TQProgressBar::SetShapeColor(QColor value) {
    fShapeClr = value;
    Redraw();
}

bool TQProgressBar::AcceptsSegmentSize(int value) const {
    const int along = fOrientation == boHorizontal ? fWidth : fHeight;
    return value <= along - 2 * fInternalBorder;
}

void TQProgressBar::SetBlockSize(int value) {
    if (!AcceptsSegmentSize(value)) return;
    // The absolute value of the most negative int does not exist; it is taken as the largest.
    fBlockSize = value == std::numeric_limits<int>::min() ? std::numeric_limits<int>::max()
                                                          : std::abs(value);
    fByBlock = fBlockSize > 0 && fSpaceSize > 0;
    if (fByBlock) BuildBlockLayout();
    BuildColorTables();
    Redraw();
}

void TQProgressBar::SetSpaceSize(int value) {
    if (!AcceptsSegmentSize(value)) return;
    fSpaceSize = value == std::numeric_limits<int>::min() ? std::numeric_limits<int>::max()
                                                          : std::abs(value);
    fByBlock = fBlockSize > 0 && fSpaceSize > 0;
    if (fByBlock) BuildBlockLayout();
    BuildColorTables();
    Redraw();
}

void TQProgressBar::SetShowFullBlock(bool value) {
    fFullBlock = value;
    if (value) BuildBlockLayout();
    BuildColorTables();
    Redraw();
}

void TQProgressBar::SetMaximum(int value) {
    // The drawn position follows only at the next position assignment or resize.
    fMaxPos = std::max(value, 0);
    Redraw();
}

void TQProgressBar::SetPosition(int value) {
    fUserPos = value;
    if (fMaxPos == 0) return;
    if (value <= 0) {
        fPosition = 0;
        fUSerPosPct = 0;
    } else {
        value = std::min(value, fMaxPos);
        fUSerPosPct = static_cast<double>(value) * 100 / fMaxPos;
        const int n = fUSefullDrawSpace;
        const long double d = static_cast<long double>(n) * fUSerPosPct / 100;
        if (d > 0 && d < fMinVisPos)
            fPosition = fMinVisPos;
        else if (d > n)
            fPosition = n;
        else
            fPosition = static_cast<int>(RoundHalfEven(d));
    }
    if (fHintOvr) {
        fHint = fShowPosAsPct ? PercentText() + u" %" : UserPosText();
        if (fHost) fHost->HintChanged(fHint);
    }
    Redraw();
    if (fHideOnTerm && value == fMaxPos) {
        if (fHost) fHost->Pause(kHideDelayMs);
        SetVisible(false);
    }
}

void TQProgressBar::SetCaption(std::u16string value) {
    fCaption = std::move(value);
    fHasCaption = !fCaption.empty();
    if (!fHasCaption) return;
    fCapPos.y = (fHeight - Measure(u"Pg").cy) / 2;
    const int text_width = Measure(fCaption).cx;
    switch (fCapAlign) {
    case taLeftJustify: fCapPos.x = 0; break;
    case taCenter: fCapPos.x = (fWidth - text_width) / 2; break;
    case taRightJustify: fCapPos.x = fWidth - text_width - 1; break;
    }
}

void TQProgressBar::SetCaptionAlign(TAlignment value) {
    fCapAlign = value;
    SetCaption(std::u16string(fCaption));
}

void TQProgressBar::SetAutoCaption(bool value) {
    fCaptionOvr = value;
    Redraw();
}

}  // namespace vq
