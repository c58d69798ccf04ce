// The clock over GetLocalTime, in the fixed forms "DD/MM/YYYY" and "HH:MM:SS" whatever the
// locale, so the backup stamp is always twelve digits.
#pragma once

#include <string>

#include "platform/clock.h"

namespace pakscour::win32 {

class Win32Clock : public Clock {
  public:
    std::string date_text() override;
    std::string time_text() override;
};

std::string format_date(int day, int month, int year);
std::string format_time(int hour, int minute, int second);

}  // namespace pakscour::win32
