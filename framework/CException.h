// Framework exceptions. They are thrown as pointers and released with Delete(), so a
// static instance (the memory exception) can be thrown without allocating.
#pragma once

class CException {
public:
    explicit CException(bool autoDelete = true) : m_bAutoDelete(autoDelete) {}
    virtual ~CException() = default;
    CException(const CException&) = delete;
    CException& operator=(const CException&) = delete;

    void Delete();

private:
    bool m_bAutoDelete;
};

class CMemoryException : public CException {
public:
    using CException::CException;
};

class CFileException : public CException {
public:
    enum Cause { none, genericException, fileNotFound, accessDenied, endOfFile };

    CFileException(Cause cause, unsigned long osError) : m_cause(cause), m_lOsError(osError) {}

    Cause m_cause;
    unsigned long m_lOsError;
};

[[noreturn]] void AfxThrowMemoryException();
[[noreturn]] void AfxThrowFileException(CFileException::Cause cause, unsigned long osError);
