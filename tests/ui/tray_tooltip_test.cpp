#include "ui/tray_tooltip.h"

#include <gtest/gtest.h>

namespace vq {
namespace {

TEST(TrayToolTipTest, TheStateLineAndTheBalanceWhereTheWindowShowsOne) {
    MonitorView view;
    view.Label1.text = u"Пользователь домена.";
    view.Ostatok.text = u"612,35 руб. [77%]";
    EXPECT_EQ(TrayToolTip(view), u"Пользователь домена.\nБаланс: 612,35 руб. [77%]");

    view.Ostatok.visible = false;
    EXPECT_EQ(TrayToolTip(view), u"Пользователь домена.");
    view.Ostatok.visible = true;
    view.StaticText3.visible = false;
    EXPECT_EQ(TrayToolTip(view), u"Пользователь домена.");
}

}  // namespace
}  // namespace vq
