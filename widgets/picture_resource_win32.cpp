#include "widgets/picture_resource_win32.h"

#include <objidl.h>
#include <gdiplus.h>

#include <cstring>

namespace vq {

namespace {

namespace gp = Gdiplus;

class GdiplusSession {
public:
    GdiplusSession() {
        gp::GdiplusStartupInput input;  // version 1, no debug callback, background thread on
        ok_ = gp::GdiplusStartup(&token_, &input, nullptr) == gp::Ok;
    }
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;
    ~GdiplusSession() {
        if (ok_) gp::GdiplusShutdown(token_);
    }
    bool Ok() const { return ok_; }

private:
    ULONG_PTR token_ = 0;
    bool ok_ = false;
};

class ComStream {
public:
    explicit ComStream(IStream* stream) : stream_(stream) {}
    ComStream(const ComStream&) = delete;
    ComStream& operator=(const ComStream&) = delete;
    ~ComStream() {
        if (stream_ != nullptr) stream_->Release();
    }
    IStream* Get() const { return stream_; }

private:
    IStream* stream_;
};

}  // namespace

std::optional<PixelSurface> DecodePicture(std::span<const std::uint8_t> picture) {
    const void* bytes = picture.data();
    const auto size = static_cast<DWORD>(picture.size());
    if (size == 0) return std::nullopt;
    // GDI+ reads the picture through IStream and asks Stat for the stream's size and type. A
    // stream from CreateStreamOnHGlobal over a copy of the resource bytes answers Stat fully (type,
    // size, times), so no adapter that fills in STATSTG is needed, and the copy lives exactly as
    // long as the decode. (SHCreateMemStream would do the same but needs shlwapi.)
    const HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
    if (copy == nullptr) return std::nullopt;
    if (void* target = GlobalLock(copy)) {
        std::memcpy(target, bytes, size);
        GlobalUnlock(copy);
    }
    IStream* raw = nullptr;
    if (FAILED(CreateStreamOnHGlobal(copy, TRUE /* the stream frees the copy */, &raw))) {
        GlobalFree(copy);
        return std::nullopt;
    }
    ComStream stream(raw);
    // Started here as well as by the program: start-ups nest, and the picture is copied out in
    // full before this session ends.
    GdiplusSession session;
    if (!session.Ok()) return std::nullopt;

    gp::GpBitmap* bitmap = nullptr;
    if (gp::DllExports::GdipCreateBitmapFromStream(stream.Get(), &bitmap) != gp::Ok ||
        bitmap == nullptr)
        return std::nullopt;
    std::optional<PixelSurface> result;
    UINT width = 0, height = 0;
    gp::DllExports::GdipGetImageWidth(bitmap, &width);
    gp::DllExports::GdipGetImageHeight(bitmap, &height);
    gp::Rect area(0, 0, static_cast<INT>(width), static_cast<INT>(height));
    gp::BitmapData data{};
    // 32bppARGB is straight alpha with bytes blue, green, red, alpha: the surface's layout.
    if (width > 0 && height > 0 &&
        gp::DllExports::GdipBitmapLockBits(bitmap, &area, gp::ImageLockModeRead,
                                           PixelFormat32bppARGB, &data) == gp::Ok) {
        PixelSurface surface(static_cast<int>(width), static_cast<int>(height));
        for (int y = 0; y < surface.Height(); ++y) {
            const auto* row =
                static_cast<const BYTE*>(data.Scan0) + static_cast<std::ptrdiff_t>(y) * data.Stride;
            std::memcpy(surface.Row(y).data(), row, static_cast<std::size_t>(width) * sizeof(Bgra));
        }
        gp::DllExports::GdipBitmapUnlockBits(bitmap, &data);
        result = std::move(surface);
    }
    gp::DllExports::GdipDisposeImage(bitmap);
    return result;
}

std::optional<PixelSurface> LoadPictureResource(HMODULE module, const wchar_t* name,
                                                WORD language) {
    // The named language first, then whatever language the module has the picture in.
    HRSRC resource = FindResourceExW(module, MAKEINTRESOURCEW(10) /* RT_RCDATA */, name, language);
    if (resource == nullptr) resource = FindResourceW(module, name, MAKEINTRESOURCEW(10));
    if (resource == nullptr) return std::nullopt;
    const HGLOBAL loaded = LoadResource(module, resource);
    const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
    const DWORD size = SizeofResource(module, resource);
    if (bytes == nullptr || size == 0) return std::nullopt;
    return DecodePicture({static_cast<const std::uint8_t*>(bytes), size});
}

}  // namespace vq
