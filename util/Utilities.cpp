#include "util/Utilities.h"

#include "util/AddressChoice.h"
#include "util/FieldSplit.h"
#include "util/VersionNumber.h"

#include <winsock2.h>

#include <memory>

int FileExists(CString path)
{
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA(path, &data);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    FindClose(search);
    return 1;
}

namespace {

CString LookUpFailed(unsigned long* address)
{
    if (address)
        *address = 0;
    return CString();
}

std::vector<HostAddress> AddressesOf(const hostent* host)
{
    std::vector<HostAddress> addresses;
    if (host->h_addrtype != AF_INET || host->h_length != 4 || !host->h_addr_list)
        return addresses;
    for (char** entry = host->h_addr_list; *entry; ++entry) {
        in_addr address;
        memcpy(&address, *entry, sizeof address);
        addresses.push_back({inet_ntoa(address), address.s_addr});
    }
    return addresses;
}

}  // namespace

CString GetLocalIpAddress(unsigned long* address)
{
    char name[256] = {};
    if (gethostname(name, sizeof name) != 0)
        return LookUpFailed(address);
    const hostent* host = gethostbyname(name);
    if (!host)
        return LookUpFailed(address);
    AddressChoice choice = ChooseLocalAddress(AddressesOf(host));
    if (!choice.found)
        return LookUpFailed(address);
    if (choice.storeValue && address)
        *address = choice.value;
    return CString(choice.text.c_str());
}

CString GetField(CString text, CString separator, int index)
{
    std::string field = GetFieldOf({text.GetString(), static_cast<size_t>(text.GetLength())},
                                   {separator.GetString(), static_cast<size_t>(separator.GetLength())},
                                   index);
    return CString(field.data(), static_cast<int>(field.size()));
}

DWORD GetFileVersionNumber(CString path)
{
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(path, &handle);
    if (size == 0)
        return kNoVersionNumber;
    std::unique_ptr<char[]> block(new (std::nothrow) char[size]);
    if (!block || !GetFileVersionInfoA(path, 0, size, block.get()))
        return kNoVersionNumber;
    VS_FIXEDFILEINFO* info = nullptr;
    UINT infoSize = 0;
    if (!VerQueryValueA(block.get(), "\\", reinterpret_cast<void**>(&info), &infoSize) || !info ||
        infoSize < sizeof(VS_FIXEDFILEINFO))
        return kNoVersionNumber;
    return PackVersionNumber(HIWORD(info->dwFileVersionMS), LOWORD(info->dwFileVersionMS),
                             HIWORD(info->dwFileVersionLS), LOWORD(info->dwFileVersionLS));
}

WORD GetFileBuildNumber(CString path) { return BuildWordOf(GetFileVersionNumber(path)); }

CString GetFileVersionText(CString path)
{
    return CString(VersionTextOf(GetFileVersionNumber(path)).c_str());
}

namespace {

// The object's method at table position 10 stores one integer.
struct ValueSource {
    using GetValueMethod = HRESULT(STDMETHODCALLTYPE*)(ValueSource* self, int* value);
    const void* const* vtable;
};

}  // namespace

int GetObjectValue(IUnknown* object)
{
    int value = 0;
    if (object) {
        auto* source = reinterpret_cast<ValueSource*>(object);
        auto method = reinterpret_cast<ValueSource::GetValueMethod>(source->vtable[10]);
        method(source, &value);
    }
    return value;
}
