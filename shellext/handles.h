#pragma once
// Owning wrappers for the handles the library opens: copy deleted, movable.
#include <windows.h>
#include <objidl.h>

#include <utility>

namespace shellext {

template <class Traits>
class ScopedHandle {
public:
    using Handle = typename Traits::Handle;
    ScopedHandle() = default;
    explicit ScopedHandle(Handle h) : h_(h) {}
    ~ScopedHandle() { reset(); }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    ScopedHandle(ScopedHandle&& other) noexcept : h_(std::exchange(other.h_, Traits::Invalid())) {}
    ScopedHandle& operator=(ScopedHandle&& other) noexcept {
        if (this != &other) {
            reset();
            h_ = std::exchange(other.h_, Traits::Invalid());
        }
        return *this;
    }
    Handle get() const { return h_; }
    explicit operator bool() const { return h_ != Traits::Invalid(); }
    void reset(Handle h = Traits::Invalid()) {
        if (h_ != Traits::Invalid()) Traits::Close(h_);
        h_ = h;
    }

private:
    Handle h_ = Traits::Invalid();
};

struct KeyTraits {
    using Handle = HKEY;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { RegCloseKey(h); }
};

// Process and thread handles; CreateProcessW gives null, never INVALID_HANDLE_VALUE.
struct KernelTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { CloseHandle(h); }
};

using ScopedKey = ScopedHandle<KeyTraits>;
using ScopedKernelHandle = ScopedHandle<KernelTraits>;

// The medium that a data object's GetData hands out, released however it was handed out.
class ScopedStorageMedium {
public:
    ScopedStorageMedium(IDataObject& data, FORMATETC format) : result_(data.GetData(&format, &medium_)) {}
    ~ScopedStorageMedium() {
        if (SUCCEEDED(result_)) ReleaseStgMedium(&medium_);
    }
    ScopedStorageMedium(const ScopedStorageMedium&) = delete;
    ScopedStorageMedium& operator=(const ScopedStorageMedium&) = delete;
    // GetData's answer; the medium holds data only when it succeeded.
    HRESULT result() const { return result_; }
    const STGMEDIUM& get() const { return medium_; }

private:
    STGMEDIUM medium_{};
    HRESULT result_;
};

// Global memory locked for reading, unlocked however the scope is left.
class ScopedGlobalLock {
public:
    explicit ScopedGlobalLock(HGLOBAL memory) : memory_(memory), data_(GlobalLock(memory)) {}
    ~ScopedGlobalLock() {
        if (data_) GlobalUnlock(memory_);
    }
    ScopedGlobalLock(const ScopedGlobalLock&) = delete;
    ScopedGlobalLock& operator=(const ScopedGlobalLock&) = delete;
    const void* get() const { return data_; }
    size_t size() const { return data_ ? GlobalSize(memory_) : 0; }

private:
    HGLOBAL memory_;
    void* data_;
};

}  // namespace shellext
