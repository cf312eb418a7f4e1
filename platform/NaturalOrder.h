// Names ordered as people count: runs of digits compare by value, so COM2 comes before COM10.
#pragma once

#include <string>
#include <string_view>

bool NaturalLess(std::string_view a, std::string_view b);
