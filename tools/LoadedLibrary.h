// An owner of a loaded library: freed, the way it was loaded, when the owner goes.
#pragma once

#include <windows.h>
#include <objbase.h>

class LoadedLibrary {
public:
    enum class Loader { Kernel, Com };

    explicit LoadedLibrary(HMODULE hModule, Loader loader = Loader::Kernel) : m_hModule(hModule), m_loader(loader) {}
    ~LoadedLibrary()
    {
        if (m_hModule && m_loader == Loader::Com)
            CoFreeLibrary(m_hModule);
        else if (m_hModule)
            FreeLibrary(m_hModule);
    }
    LoadedLibrary(const LoadedLibrary&) = delete;
    LoadedLibrary& operator=(const LoadedLibrary&) = delete;

    HMODULE Get() const { return m_hModule; }
    explicit operator bool() const { return m_hModule != nullptr; }

private:
    HMODULE m_hModule;
    Loader m_loader;
};
