#pragma once
// The monitor window's usage bar on Qt: the portable self-drawn bar with the window's settings,
// painted into the window's own painter at its place. The bar's caption, if it ever has one, is
// drawn with Qt's text output over the bar's pixels.

#include <QPainter>
#include <memory>

namespace vq {

class TrafficBarQt {
public:
    // Decimal separator of the percentages the bar may show.
    TrafficBarQt(int width, int height, char16_t decimalSeparator);
    ~TrafficBarQt();
    TrafficBarQt(const TrafficBarQt&) = delete;
    TrafficBarQt& operator=(const TrafficBarQt&) = delete;

    bool Visible() const;
    void SetVisible(bool visible);
    int Position() const;
    void SetPosition(int position);

    // Paints the bar with its top-left corner at (left, top) when it is visible.
    void Paint(QPainter& painter, int left, int top);

private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

}  // namespace vq
