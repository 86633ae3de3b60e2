#include "util/AddressChoice.h"

namespace {

bool IsSkipped(const std::string& text)
{
    return text == "0.0.0.0" || text.compare(0, 3, "169") == 0;
}

}  // namespace

AddressChoice ChooseLocalAddress(const std::vector<HostAddress>& addresses)
{
    AddressChoice choice;
    if (addresses.empty())
        return choice;
    choice.found = true;
    if (addresses.size() == 1) {
        choice.text = addresses[0].text;
        choice.storeValue = true;
        choice.value = addresses[0].value;
        return choice;
    }
    for (const HostAddress& address : addresses) {
        if (!IsSkipped(address.text)) {
            choice.text = address.text;
            choice.storeValue = true;
            choice.value = address.value;
            return choice;
        }
    }
    choice.text = addresses.back().text;
    return choice;
}
