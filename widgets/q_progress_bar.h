#pragma once
// TQProgressBar: a self-drawn progress bar. It shows a position between 0 and a maximum as a run
// of coloured pixel columns (rows when vertical), coloured by a gradient fixed per column, cut
// into blocks and gaps, optionally shaded across its thickness and labelled with a caption.
//
// Every colour is computed into tables when a setting or the size changes; Paint only copies
// table entries into a PixelSurface. The control knows nothing of the window system: what it
// needs of its window (repaint, resize, visibility, a pause, text measuring) goes through
// QProgressBarHost, and the caption comes back from Paint as a placement for the window to draw
// with the platform's text output.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "widgets/hls_color.h"
#include "widgets/pixel_surface.h"

namespace vq {

enum TQBarOrientation : std::uint8_t { boHorizontal, boVertical };
enum TQBarKind : std::uint8_t { bkFlat, bkCylinder };
enum TQBarLook : std::uint8_t { blMetal, blGlass };
enum TAlignment : std::uint8_t { taLeftJustify, taRightJustify, taCenter };

// One record per drawing position along the bar.
struct TPosDescr {
    bool isInBlock = false;  // the position belongs to a block, not to a gap
    // Far end, in the direction of growth, of the position's block (of the next block for a gap).
    std::int32_t blkLimit = 0;

    friend bool operator==(const TPosDescr&, const TPosDescr&) = default;
};
using TCLRArray = std::vector<QColor>;

// The font the caption is measured and drawn with; size in points.
struct QFont {
    std::u16string name = u"MS Sans Serif";
    int size = 8;
    bool bold = false;
    QColor color = RgbColor(0, 0, 0);

    friend bool operator==(const QFont&, const QFont&) = default;
};

struct QTextSize {
    int cx = 0;
    int cy = 0;
};

struct QPoint {
    int x = 0;
    int y = 0;

    friend bool operator==(const QPoint&, const QPoint&) = default;
};

// Where the window draws the caption after copying the pixels: transparent background, in
// font.color.
struct QCaptionPlacement {
    std::u16string text;
    QPoint position;
    QFont font;
};

// What the bar needs of the window it lives in.
class QProgressBarHost {
public:
    virtual ~QProgressBarHost() = default;
    // Repaint the whole control.
    virtual void Redraw() = 0;
    // The bar changed its own size (an orientation change exchanges width and height).
    virtual void SizeChanged(int width, int height) = 0;
    virtual void VisibleChanged(bool visible) = 0;
    virtual void HintChanged(const std::u16string& hint) = 0;
    // Blocks the user-interface thread (the pause before hiding a finished bar).
    virtual void Pause(int milliseconds) = 0;
    virtual QTextSize MeasureText(std::u16string_view text, const QFont& font) = 0;
};

// The shading curve across the bar's thickness, x in 0 ... 1, in extended precision.
long double GlassLuminance(long double x);
// Rounds to the nearest integer, a half to the even neighbour.
long long RoundHalfEven(long double value);
// General notation with up to 15 significant digits and the given decimal separator.
std::u16string FormatPercent(double value, char16_t decimal_separator);

class TQProgressBar {
public:
    // A null host is allowed: nothing is requested of a window and texts measure 0 x 0.
    explicit TQProgressBar(QProgressBarHost* host = nullptr);
    TQProgressBar(const TQProgressBar&) = delete;
    TQProgressBar& operator=(const TQProgressBar&) = delete;

    // Stored settings, in their stored order.
    TQBarOrientation orientation() const { return fOrientation; }
    void SetOrientation(TQBarOrientation value);
    TQBarKind barKind() const { return fBarKind; }
    void SetBarKind(TQBarKind value);
    TQBarLook barLook() const { return fBarLook; }
    void SetBarLook(TQBarLook value);
    bool roundCorner() const { return fCorner > 0; }
    void SetRoundCorner(bool value);
    QColor backgroundColor() const { return fBkgClr; }
    void SetBackgroundColor(QColor value);
    QColor barColor() const { return fStartClr; }
    void SetBarColor(QColor value);
    QColor startColor() const { return fStartClr; }
    void SetStartColor(QColor value);
    QColor finalColor() const { return fFinalClr; }
    void SetFinalColor(QColor value);
    bool showInactivePos() const { return fShowInactPos; }
    void SetShowInactivePos(bool value);
    bool invertInactPos() const { return fInvInactPos; }
    void SetInvertInactPos(bool value);
    QColor inactivePosColor() const { return fInactPosClr; }
    void SetInactivePosColor(QColor value);
    bool shaped() const { return fHasShape; }
    void SetShaped(bool value);
    QColor shapeColor() const { return fShapeClr; }
    void SetShapeColor(QColor value);
    int blockSize() const { return fBlockSize; }
    void SetBlockSize(int value);
    int spaceSize() const { return fSpaceSize; }
    void SetSpaceSize(int value);
    bool showFullBlock() const { return fFullBlock; }
    void SetShowFullBlock(bool value);
    int maximum() const { return fMaxPos; }
    void SetMaximum(int value);
    int position() const { return fUserPos; }
    void SetPosition(int value);
    bool hideOnTerminate() const { return fHideOnTerm; }
    void SetHideOnTerminate(bool value) { fHideOnTerm = value; }
    const std::u16string& caption() const { return fCaption; }
    void SetCaption(std::u16string value);
    TAlignment captionAlign() const { return fCapAlign; }
    void SetCaptionAlign(TAlignment value);
    // Reading gives the control's own font object; assigning copies into the drawing font.
    const QFont& font() const { return fFont; }
    void SetFont(const QFont& value) { fCanvasFont = value; }
    bool AutoCaption() const { return fCaptionOvr; }
    void SetAutoCaption(bool value);
    bool AutoHint() const { return fHintOvr; }
    void SetAutoHint(bool value) { fHintOvr = value; }
    bool ShowPosAsPct() const { return fShowPosAsPct; }
    void SetShowPosAsPct(bool value) { fShowPosAsPct = value; }

    bool Visible() const { return fVisible; }
    void SetVisible(bool value);
    int Width() const { return fWidth; }
    int Height() const { return fHeight; }
    // The control's new size; runs the resize handling when it differs.
    void SetBounds(int width, int height);
    const std::u16string& Hint() const { return fHint; }
    const QFont& CanvasFont() const { return fCanvasFont; }
    // The locale's decimal separator for percentages in the hint and the caption.
    void SetDecimalSeparator(char16_t value) { fDecimalSeparator = value; }

    void LockInits() { fInitsLocked = true; }
    void UnlockInits();

    // Clears the surface to clear_color at the control's size (the platform's erase), then
    // draws the outline and the bar. Returns the caption to draw over it, if any.
    std::optional<QCaptionPlacement> Paint(PixelSurface& surface, QColor clear_color);

    // Derived state, for the window and for tests.
    int InternalBorder() const { return fInternalBorder; }
    int BorderSize() const { return fBorderSize; }
    int UsefullDrawSpace() const { return fUSefullDrawSpace; }
    int MinVisPos() const { return fMinVisPos; }
    int DrawnPosition() const { return fPosition; }
    double PositionPercent() const { return fUSerPosPct; }
    bool ByBlock() const { return fByBlock; }
    QPoint CaptionPos() const { return fCapPos; }
    bool HasCaption() const { return fHasCaption; }
    // Thickness of the colour tables across the bar.
    int TableDepth() const;
    const std::vector<TPosDescr>& PosDescr() const { return fPosDescr; }
    const std::vector<TCLRArray>& PixDescr() const { return fPixDescr; }
    const TCLRArray& InactDescr() const { return fInactDescr; }

    QColor GradientColor(int i) const;
    TCLRArray ShadeProfile(QColor c, int depth) const;

private:
    void UpdateDrawSpace();
    void BuildBlockLayout();
    void BuildColorTables();
    void Resize();
    // Shared rule of blockSize and spaceSize.
    bool AcceptsSegmentSize(int value) const;
    std::u16string PercentText() const;
    std::u16string UserPosText() const;
    QTextSize Measure(std::u16string_view text) const;
    void Redraw();

    void PaintShape(PixelSurface& surface) const;
    void PaintHorizontal(PixelSurface& surface) const;
    void PaintVertical(PixelSurface& surface) const;
    TPosDescr PosAt(int s) const;

    QProgressBarHost* fHost;

    std::vector<TPosDescr> fPosDescr;
    std::vector<TCLRArray> fPixDescr;
    TCLRArray fInactDescr;
    bool fInitsLocked = false;
    TQBarKind fBarKind = bkFlat;
    TQBarLook fBarLook = blMetal;
    TQBarOrientation fOrientation = boHorizontal;
    int fInternalBorder = 2;
    int fUSefullDrawSpace = 0;
    int fBorderSize = 4;
    bool fHasShape = true;
    QColor fShapeClr = RgbColor(0, 60, 116);
    int fCorner = 5;
    QColor fStartClr = RgbColor(0, 255, 0);
    QColor fFinalClr = RgbColor(0, 255, 0);
    QColor fBkgClr = RgbColor(255, 255, 255);
    bool fMonoClr = true;
    bool fInvInactPos = false;
    bool fShowInactPos = false;
    QColor fInactPosClr = RgbColor(128, 128, 128);
    double fUSerPosPct = 0;
    int fUserPos = 0;
    int fPosition = 0;
    int fMinVisPos = 0;
    int fMaxPos = 100;
    bool fByBlock = false;
    bool fFullBlock = false;
    int fSpaceSize = 0;
    int fBlockSize = 0;
    bool fHideOnTerm = false;
    std::u16string fCaption;
    TAlignment fCapAlign = taLeftJustify;
    QPoint fCapPos;
    bool fHasCaption = false;
    QFont fFont;
    bool fShowPosAsPct = false;
    bool fCaptionOvr = false;
    bool fHintOvr = false;

    // The control's own state.
    int fWidth = 64;
    int fHeight = 16;
    bool fVisible = true;
    std::u16string fHint;
    QFont fCanvasFont;
    char16_t fDecimalSeparator = u'.';
};

}  // namespace vq
