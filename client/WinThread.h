// A thread that runs one callable and is joined by its owner: what the tests and the
// stand-ins need of std::thread, which the compiler's win32 thread model leaves out.
#pragma once

#include "client/OwnedHandle.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <utility>

class WinThread {
public:
    WinThread() = default;
    explicit WinThread(std::function<void()> body) { Start(std::move(body)); }
    ~WinThread() { Join(); }
    WinThread(const WinThread&) = delete;
    WinThread& operator=(const WinThread&) = delete;

    // Joins a thread started before; false when no thread could be made.
    bool Start(std::function<void()> body)
    {
        Join();
        auto pBody = std::make_unique<std::function<void()>>(std::move(body));
        m_thread = OwnedHandle(CreateThread(nullptr, 0, &Run, pBody.get(), 0, nullptr));
        if (m_thread)
            pBody.release();  // the thread owns it now
        return static_cast<bool>(m_thread);
    }

    void Join()
    {
        if (!m_thread)
            return;
        WaitForSingleObject(m_thread.Get(), INFINITE);
        m_thread.Close();
    }

private:
    static DWORD WINAPI Run(void* pParameter)
    {
        std::unique_ptr<std::function<void()>> pBody(static_cast<std::function<void()>*>(pParameter));
        (*pBody)();
        return 0;
    }

    OwnedHandle m_thread;
};
