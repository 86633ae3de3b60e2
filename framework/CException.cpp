#include "framework/CException.h"

void CException::Delete()
{
    if (m_bAutoDelete)
        delete this;
}

void AfxThrowMemoryException()
{
    static CMemoryException outOfMemory(false);
    throw static_cast<CException*>(&outOfMemory);
}

void AfxThrowFileException(CFileException::Cause cause, unsigned long osError)
{
    throw new CFileException(cause, osError);
}
