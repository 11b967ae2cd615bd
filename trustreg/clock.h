// The local time now, and date texts in the user's regional settings.
#pragma once

#include <string>

#include "root_age.h"

LocalTime CurrentLocalTime();

// The user's short date, then a blank and the long time unless it is exactly midnight.
std::string DateText(const LocalTime& time);
