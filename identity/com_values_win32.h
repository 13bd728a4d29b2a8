#pragma once
// Owners of the automation values a late-bound call passes around: BSTR (SysFreeString),
// VARIANT (VariantClear), access to a SAFEARRAY's data (SafeArrayUnaccessData) and the strings of
// an EXCEPINFO. All move-only.

#include <windows.h>
#include <ole2.h>
#include <oleauto.h>

#include <string>
#include <string_view>

namespace vq {

// The text of a BSTR; a null BSTR is empty text.
std::u16string BstrText(BSTR text);

class Bstr {
public:
    Bstr() = default;
    // A copy of text; raises std::bad_alloc when SysAllocStringLen fails.
    explicit Bstr(std::u16string_view text);
    ~Bstr() { SysFreeString(text_); }
    Bstr(Bstr&& other) noexcept;
    Bstr& operator=(Bstr&& other) noexcept;
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;

    BSTR Get() const noexcept { return text_; }
    // Hands the string over to a new owner.
    BSTR Release() noexcept;

private:
    BSTR text_ = nullptr;
};

class Variant {
public:
    Variant() noexcept { VariantInit(&value_); }
    // A VT_BSTR variant that owns text.
    explicit Variant(Bstr text) noexcept;
    ~Variant() { VariantClear(&value_); }
    Variant(Variant&& other) noexcept;
    Variant& operator=(Variant&& other) noexcept;
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;

    const VARIANT& Get() const noexcept { return value_; }
    // For an out-parameter: clears what is held and gives the variant to fill.
    VARIANT* Put() noexcept;

private:
    VARIANT value_;
};

// The data of a SAFEARRAY, locked with SafeArrayAccessData while the object lives.
class SafeArrayAccess {
public:
    explicit SafeArrayAccess(SAFEARRAY* array) noexcept;
    ~SafeArrayAccess();
    SafeArrayAccess(SafeArrayAccess&& other) noexcept;
    SafeArrayAccess& operator=(SafeArrayAccess&& other) noexcept;
    SafeArrayAccess(const SafeArrayAccess&) = delete;
    SafeArrayAccess& operator=(const SafeArrayAccess&) = delete;

    // S_OK when the data is accessible, else the failure of SafeArrayAccessData.
    HRESULT Result() const noexcept { return result_; }
    void* Data() const noexcept { return data_; }

private:
    void Unaccess() noexcept;

    SAFEARRAY* array_ = nullptr;  // null when nothing is locked
    void* data_ = nullptr;
    HRESULT result_ = E_UNEXPECTED;
};

// The EXCEPINFO that IDispatch::Invoke fills on DISP_E_EXCEPTION; frees its strings.
class ExceptionInfo {
public:
    ExceptionInfo() noexcept : info_{} {}
    ~ExceptionInfo() { Free(); }
    ExceptionInfo(ExceptionInfo&& other) noexcept;
    ExceptionInfo& operator=(ExceptionInfo&& other) noexcept;
    ExceptionInfo(const ExceptionInfo&) = delete;
    ExceptionInfo& operator=(const ExceptionInfo&) = delete;

    EXCEPINFO* Put() noexcept;
    // The error the exception carries (its scode, after any deferred fill-in), or fallback when
    // it names none.
    HRESULT Code(HRESULT fallback) noexcept;

private:
    void Free() noexcept;

    EXCEPINFO info_;
};

}  // namespace vq
