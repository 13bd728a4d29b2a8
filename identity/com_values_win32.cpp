#include "identity/com_values_win32.h"

#include <cstring>
#include <new>
#include <utility>

namespace vq {

std::u16string BstrText(BSTR text) {
    if (text == nullptr) return {};
    return std::u16string(reinterpret_cast<const char16_t*>(text), SysStringLen(text));
}

// --- Bstr ---

Bstr::Bstr(std::u16string_view text) {
    text_ = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()),
                              static_cast<UINT>(text.size()));
    if (text_ == nullptr) throw std::bad_alloc();
}

Bstr::Bstr(Bstr&& other) noexcept : text_(std::exchange(other.text_, nullptr)) {}

Bstr& Bstr::operator=(Bstr&& other) noexcept {
    if (this != &other) {
        SysFreeString(text_);
        text_ = std::exchange(other.text_, nullptr);
    }
    return *this;
}

BSTR Bstr::Release() noexcept { return std::exchange(text_, nullptr); }

// --- Variant ---

Variant::Variant(Bstr text) noexcept {
    VariantInit(&value_);
    value_.vt = VT_BSTR;
    value_.bstrVal = text.Release();
}

// A VARIANT is moved by taking its bytes; the source is left VT_EMPTY so nothing is freed twice.
Variant::Variant(Variant&& other) noexcept {
    std::memcpy(&value_, &other.value_, sizeof value_);
    VariantInit(&other.value_);
}

Variant& Variant::operator=(Variant&& other) noexcept {
    if (this != &other) {
        VariantClear(&value_);
        std::memcpy(&value_, &other.value_, sizeof value_);
        VariantInit(&other.value_);
    }
    return *this;
}

VARIANT* Variant::Put() noexcept {
    VariantClear(&value_);
    return &value_;
}

// --- SafeArrayAccess ---

SafeArrayAccess::SafeArrayAccess(SAFEARRAY* array) noexcept {
    result_ = SafeArrayAccessData(array, &data_);
    if (SUCCEEDED(result_))
        array_ = array;
    else
        data_ = nullptr;
}

SafeArrayAccess::~SafeArrayAccess() { Unaccess(); }

SafeArrayAccess::SafeArrayAccess(SafeArrayAccess&& other) noexcept
    : array_(std::exchange(other.array_, nullptr)),
      data_(std::exchange(other.data_, nullptr)),
      result_(std::exchange(other.result_, E_UNEXPECTED)) {}

SafeArrayAccess& SafeArrayAccess::operator=(SafeArrayAccess&& other) noexcept {
    if (this != &other) {
        Unaccess();
        array_ = std::exchange(other.array_, nullptr);
        data_ = std::exchange(other.data_, nullptr);
        result_ = std::exchange(other.result_, E_UNEXPECTED);
    }
    return *this;
}

void SafeArrayAccess::Unaccess() noexcept {
    if (array_ != nullptr) SafeArrayUnaccessData(std::exchange(array_, nullptr));
    data_ = nullptr;
}

// --- ExceptionInfo ---

ExceptionInfo::ExceptionInfo(ExceptionInfo&& other) noexcept : info_(other.info_) {
    other.info_ = EXCEPINFO{};
}

ExceptionInfo& ExceptionInfo::operator=(ExceptionInfo&& other) noexcept {
    if (this != &other) {
        Free();
        info_ = std::exchange(other.info_, EXCEPINFO{});
    }
    return *this;
}

EXCEPINFO* ExceptionInfo::Put() noexcept {
    Free();
    return &info_;
}

HRESULT ExceptionInfo::Code(HRESULT fallback) noexcept {
    // A server may defer filling the structure until the caller asks for it.
    if (info_.pfnDeferredFillIn != nullptr) {
        const auto fill_in = std::exchange(info_.pfnDeferredFillIn, nullptr);
        fill_in(&info_);
    }
    return FAILED(info_.scode) ? info_.scode : fallback;
}

void ExceptionInfo::Free() noexcept {
    SysFreeString(info_.bstrSource);
    SysFreeString(info_.bstrDescription);
    SysFreeString(info_.bstrHelpFile);
    info_ = EXCEPINFO{};
}

}  // namespace vq
