#pragma once
// An alpha image list as the tray icon sees one: its number of images, and image i as an icon.

#include "widgets/cool_tray_icon.h"
#include "widgets/xp_image_list.h"

namespace vq {

class XPTrayImages final : public TrayImageList {
public:
    explicit XPTrayImages(const TXPImageList& list) : list_(list) {}
    int Count() const override { return list_.Count(); }
    std::unique_ptr<TrayIconImage> GetIcon(int index) const override;

private:
    const TXPImageList& list_;  // owned by the window the tray icon belongs to
};

}  // namespace vq
