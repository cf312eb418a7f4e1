// The wall-clock date and time in the user's time zone.
#pragma once

#include <ctime>

std::tm LocalTimeNow();
