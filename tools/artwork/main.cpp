// Redraws the program's pictures into resources/ (and, with --figures, enlarged copies of the
// icon strips into docs/images/):  vq-artwork REPOSITORY_ROOT [--figures]

#include <cstring>
#include <iostream>

#include "widgets/png_writer.h"
#include "tools/artwork/pictures.h"
#include "widgets/shadow_frame.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "Usage: vq-artwork REPOSITORY_ROOT [--figures]\n";
        return 2;
    }
    const std::filesystem::path root = argv[1];
    const bool figures = argc > 2 && std::strcmp(argv[2], "--figures") == 0;
    using namespace vq::art;
    const std::pair<const char*, vq::PixelSurface> pictures[] = {
        {"loading-icons.png", SpinnerStrip()},
        {"normal-icons.png", NormalIconStrip()},
        {"pic-conecting.png", DrawStatusPicture(StatusPicture::Connecting)},
        {"pic-pause.png", DrawStatusPicture(StatusPicture::Pause)},
        {"pic-conected.png", DrawStatusPicture(StatusPicture::Connected)},
        {"pic-stop.png", DrawStatusPicture(StatusPicture::Stop)},
        {"pie-chart.png", PieChart()},
        {"globe-mouse.png", Globe()},
        {"logo.png", Logo()},
    };
    for (const auto& [name, picture] : pictures) {
        vq::WritePng(picture, root / "resources" / name);
        if (figures)
            vq::WritePng(vq::Scaled(picture, 4),
                         root / "docs/images" / (std::string("x4-") + name));
    }
    // The drop shadow's frame picture is drawn by the shadow's own code.
    vq::WritePng(vq::GenerateShadowFrame(), root / "resources" / "shadowframe.png");
    std::cout << "pictures written to " << (root / "resources").string() << "\n";
    return 0;
}
