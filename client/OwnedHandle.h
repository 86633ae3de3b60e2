// The stand-ins' owner of a kernel handle: closed in the destructor. The stand-ins play
// peers built without the plug-in's framework, so they keep an owner of their own.
#pragma once

#include <windows.h>

#include <utility>

class OwnedHandle {
public:
    OwnedHandle() = default;
    // Null and INVALID_HANDLE_VALUE both mean "no handle".
    explicit OwnedHandle(HANDLE handle) : m_handle(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
    ~OwnedHandle() { Close(); }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;
    OwnedHandle(OwnedHandle&& other) noexcept : m_handle(std::exchange(other.m_handle, nullptr)) {}
    OwnedHandle& operator=(OwnedHandle&& other) noexcept
    {
        if (this != &other) {
            Close();
            m_handle = std::exchange(other.m_handle, nullptr);
        }
        return *this;
    }

    void Close()
    {
        if (m_handle)
            CloseHandle(std::exchange(m_handle, nullptr));
    }
    HANDLE Get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }

private:
    HANDLE m_handle = nullptr;
};
