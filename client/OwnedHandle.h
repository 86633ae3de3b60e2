// The stand-ins' owner of a kernel handle: closed in the destructor. The stand-ins play
// peers built without the plug-in's framework, so they keep an owner of their own.
#pragma once

#include <windows.h>

class OwnedHandle {
public:
    OwnedHandle() = default;
    // Null and INVALID_HANDLE_VALUE both mean "no handle".
    explicit OwnedHandle(HANDLE handle) : m_handle(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
    ~OwnedHandle() { Close(); }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;
    OwnedHandle(OwnedHandle&& other) noexcept : m_handle(other.Take()) {}
    OwnedHandle& operator=(OwnedHandle&& other) noexcept
    {
        if (this != &other) {
            Close();
            m_handle = other.Take();
        }
        return *this;
    }

    void Close()
    {
        if (m_handle)
            CloseHandle(Take());
    }
    HANDLE Get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }

private:
    HANDLE Take()
    {
        HANDLE handle = m_handle;
        m_handle = nullptr;
        return handle;
    }

    HANDLE m_handle = nullptr;
};
