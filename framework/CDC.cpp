#include "framework/CDC.h"

#include "framework/CCriticalSection.h"
#include "framework/CWnd.h"
#include "framework/TemporaryObjects.h"

#include <map>
#include <memory>
#include <mutex>
#include <utility>

namespace {

// A temporary object lets go of its DC: the DC belongs to whoever made it.
class CTempDC final : public CDC {
public:
    explicit CTempDC(HDC hDC) { m_hDC = hDC; }
    ~CTempDC() override { Detach(); }
};

// Temporary objects per thread; a view holds no DC of its own, so a reused handle value
// simply finds its view again.
std::map<HDC, std::unique_ptr<CDC>>& ThreadTemporaries()
{
    static CProcessLock lock;
    static std::map<DWORD, std::map<HDC, std::unique_ptr<CDC>>> temporaries;
    std::lock_guard<CCriticalSection> guard(lock.Get());
    return temporaries[GetCurrentThreadId()];
}

std::unique_ptr<CDC>& Temporary(HDC hDC) { return ThreadTemporaries()[hDC]; }

}  // namespace

void AfxDeleteTempDCs() { ThreadTemporaries().clear(); }

size_t AfxTempDCCount() { return ThreadTemporaries().size(); }

CDC::~CDC() { DeleteDC(); }

CDC* CDC::FromHandle(HDC hDC)
{
    if (!hDC)
        return nullptr;
    std::unique_ptr<CDC>& temporary = Temporary(hDC);
    if (!temporary)
        temporary.reset(new CTempDC(hDC));
    return temporary.get();
}

BOOL CDC::CreateCompatibleDC(CDC* pDC)
{
    if (m_hDC)
        return FALSE;
    m_hDC = ::CreateCompatibleDC(pDC ? pDC->m_hDC : nullptr);
    return m_hDC != nullptr;
}

BOOL CDC::DeleteDC() { return m_hDC ? ::DeleteDC(Detach()) : FALSE; }

HDC CDC::Detach() { return std::exchange(m_hDC, nullptr); }

CPaintDC::CPaintDC(CWnd* pWnd) : m_hWnd(pWnd->m_hWnd) { m_hDC = ::BeginPaint(m_hWnd, &m_ps); }

CPaintDC::~CPaintDC()
{
    ::EndPaint(m_hWnd, &m_ps);
    Detach();
}

CWindowDC::CWindowDC(HWND hWnd) : m_hWnd(hWnd) { m_hDC = ::GetWindowDC(hWnd); }

CWindowDC::~CWindowDC()
{
    if (m_hDC)
        ::ReleaseDC(m_hWnd, Detach());
}
