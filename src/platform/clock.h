// The current date and time as the texts the backup stamp is cut from.
#pragma once

#include <string>

namespace pakscour {

class Clock {
  public:
    virtual ~Clock() = default;
    // "DD/MM/YYYY", whatever the locale.
    virtual std::string date_text() = 0;
    // "HH:MM:SS", 24 hour, whatever the locale.
    virtual std::string time_text() = 0;
};

}  // namespace pakscour
