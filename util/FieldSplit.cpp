#include "util/FieldSplit.h"

namespace {

bool StartsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

}  // namespace

std::string GetFieldOf(std::string_view text, std::string_view separator, int index)
{
    if (text.empty())
        return {};
    // An empty separator is consumed without dropping anything: the text stays whole.
    if (separator.empty())
        return std::string(text);
    for (int consumed = 0; index > 1 && consumed < index - 1;) {
        if (text.empty() || (text.size() == 1 && !StartsWith(text, separator)))
            return {};
        if (StartsWith(text, separator)) {
            text.remove_prefix(separator.size());
            ++consumed;
        } else {
            text.remove_prefix(1);
        }
    }
    size_t at = text.find(separator);
    if (at != std::string_view::npos && at > 0)
        return std::string(text.substr(0, at));
    return std::string(text);
}
