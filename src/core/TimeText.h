// The one way a moment of the song is written for the user: hours, minutes, seconds and
// milliseconds, "hh:mm:ss,mmm", as the ruler, the time read-out and the messages show it.
#pragma once

#include <QString>

#include <cstdint>

namespace lumivox {

inline QString FormatShowTime(std::int64_t ms) {
    const std::int64_t s = ms / 1000;
    const std::int64_t m = s / 60;
    return QString::asprintf("%.2lld:%.2lld:%.2lld,%.3lld", static_cast<long long>(m / 60),
                             static_cast<long long>(m % 60), static_cast<long long>(s % 60),
                             static_cast<long long>(ms % 1000));
}

} // namespace lumivox
