// Splitting a text into fields by a separator, counted in bytes.
#pragma once

#include <string>
#include <string_view>

// The index-th field (from 1). An empty second field is not cut off: the field then
// starts with the separator. Empty when the text has fewer fields.
std::string GetFieldOf(std::string_view text, std::string_view separator, int index);
