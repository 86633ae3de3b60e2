// An object made in place in static storage and never destroyed: objects destroyed during
// static destruction can still use it, and making it takes nothing from the heap, so a
// destructor that reaches it first at shutdown cannot fail for want of memory.
#pragma once

#include <new>

template <typename T>
class CNeverDestroyed {
public:
    CNeverDestroyed() { new (m_storage) T(); }
    CNeverDestroyed(const CNeverDestroyed&) = delete;
    CNeverDestroyed& operator=(const CNeverDestroyed&) = delete;

    T& Get() { return *std::launder(reinterpret_cast<T*>(m_storage)); }

private:
    alignas(T) unsigned char m_storage[sizeof(T)];
};
