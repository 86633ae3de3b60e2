// The owner of a loaded library: freed the way it was loaded (FreeLibrary, or
// CoFreeLibrary for a component's) when the owner goes or Free is called. Move-only, so
// nothing is freed twice; Detach hands the library on, to stay loaded.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <utility>

class CLoadedLibrary {
public:
    enum class Loader { Kernel, Com };

    CLoadedLibrary() = default;
    explicit CLoadedLibrary(HMODULE hModule, Loader loader = Loader::Kernel) : m_hModule(hModule), m_loader(loader) {}
    ~CLoadedLibrary() { Free(); }
    CLoadedLibrary(const CLoadedLibrary&) = delete;
    CLoadedLibrary& operator=(const CLoadedLibrary&) = delete;
    CLoadedLibrary(CLoadedLibrary&& other) noexcept : m_hModule(other.Detach()), m_loader(other.m_loader) {}
    CLoadedLibrary& operator=(CLoadedLibrary&& other) noexcept
    {
        if (this != &other) {
            Free();
            m_loader = other.m_loader;
            m_hModule = other.Detach();
        }
        return *this;
    }

    void Free()
    {
        if (!m_hModule)
            return;
        HMODULE hModule = Detach();
        if (m_loader == Loader::Com)
            CoFreeLibrary(hModule);
        else
            FreeLibrary(hModule);
    }
    HMODULE Detach() { return std::exchange(m_hModule, nullptr); }
    HMODULE Get() const { return m_hModule; }
    explicit operator bool() const { return m_hModule != nullptr; }

private:
    HMODULE m_hModule = nullptr;
    Loader m_loader = Loader::Kernel;
};
