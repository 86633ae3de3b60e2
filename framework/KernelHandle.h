// Owners of kernel objects: a handle is closed, and a mapped view unmapped, by the object
// that holds it. Move-only, so nothing is released twice.
#pragma once

#include <windows.h>

#include <utility>

class CKernelHandle {
public:
    CKernelHandle() = default;
    // Takes ownership; null and INVALID_HANDLE_VALUE both mean "no handle".
    explicit CKernelHandle(HANDLE handle) : m_handle(Normalized(handle)) {}
    ~CKernelHandle() { Close(); }
    CKernelHandle(const CKernelHandle&) = delete;
    CKernelHandle& operator=(const CKernelHandle&) = delete;
    CKernelHandle(CKernelHandle&& other) noexcept : m_handle(other.Detach()) {}
    CKernelHandle& operator=(CKernelHandle&& other) noexcept
    {
        if (this != &other) {
            Close();
            m_handle = other.Detach();
        }
        return *this;
    }

    // Closes a different handle held before.
    void Attach(HANDLE handle)
    {
        if (Normalized(handle) == m_handle)
            return;
        Close();
        m_handle = Normalized(handle);
    }
    HANDLE Detach() { return std::exchange(m_handle, nullptr); }
    void Close()
    {
        if (m_handle)
            CloseHandle(Detach());
    }
    HANDLE Get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }

private:
    static HANDLE Normalized(HANDLE handle) { return handle == INVALID_HANDLE_VALUE ? nullptr : handle; }

    HANDLE m_handle = nullptr;
};

class CMappedView {
public:
    CMappedView() = default;
    explicit CMappedView(void* view) : m_view(view) {}
    ~CMappedView() { Unmap(); }
    CMappedView(const CMappedView&) = delete;
    CMappedView& operator=(const CMappedView&) = delete;
    CMappedView(CMappedView&& other) noexcept : m_view(other.Detach()) {}
    CMappedView& operator=(CMappedView&& other) noexcept
    {
        if (this != &other) {
            Unmap();
            m_view = other.Detach();
        }
        return *this;
    }

    void* Detach() { return std::exchange(m_view, nullptr); }
    void Unmap()
    {
        if (m_view)
            UnmapViewOfFile(Detach());
    }
    void* Get() const { return m_view; }
    explicit operator bool() const { return m_view != nullptr; }

private:
    void* m_view = nullptr;
};
