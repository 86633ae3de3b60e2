// Which of the host's IPv4 addresses to report: the first that is neither 0.0.0.0
// nor link-local-looking ("169..."), or the last one when all are.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct HostAddress {
    std::string text;   // dotted form
    uint32_t value;     // network byte order, as the host entry holds it
};

struct AddressChoice {
    bool found = false;        // false: the list was empty
    std::string text;          // the address to report
    bool storeValue = false;   // whether the caller's address slot receives value
    uint32_t value = 0;
};

AddressChoice ChooseLocalAddress(const std::vector<HostAddress>& addresses);
