// The system clock of the Linux build: local date and time in fixed formats, whatever the
// locale, so the backup stamp is always twelve digits.
#pragma once

#include "platform/clock.h"

namespace pakscour::posix {

class PosixClock : public Clock {
  public:
    // "DD/MM/YYYY" of the local date.
    std::string date_text() override;
    // "HH:MM:SS" of the local time, 24 hour.
    std::string time_text() override;
};

}  // namespace pakscour::posix
