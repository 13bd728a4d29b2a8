#include "widgets/shadow_frame_resource_win32.h"

#include "resources/resource_names.h"
#include "widgets/picture_resource_win32.h"
#include "widgets/shadow_frame.h"

namespace vq {

PixelSurface LoadShadowFrame(HMODULE module) {
    if (auto picture = LoadPictureResource(module, VQ_RES_SHADOW_FRAME, VQ_RES_LANGUAGE_RUSSIAN))
        return std::move(*picture);
    return GenerateShadowFrame();
}

}  // namespace vq
