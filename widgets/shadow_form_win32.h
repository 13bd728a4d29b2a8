#pragma once
// TShadowForm: the layered window that carries a drop shadow. Clicks on it never activate it and
// it hands the keyboard focus straight back, so the window it shadows keeps both.

#include "widgets/layered_form_win32.h"

namespace vq {

class TShadowForm : public TLayeredForm {
protected:
    DWORD ExtraExStyle() const override { return WS_EX_NOACTIVATE; }
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};

}  // namespace vq
