#include "widgets/xp_tray_images_win32.h"

#include "widgets/cool_tray_icon_win32.h"
#include "widgets/xp_image_list_gdi_win32.h"

namespace vq {

std::unique_ptr<TrayIconImage> XPTrayImages::GetIcon(int index) const {
    UniqueIcon icon = CreateIconFromImage(list_, index);
    return std::make_unique<Win32TrayIconImage>(icon.Detach());
}

}  // namespace vq
