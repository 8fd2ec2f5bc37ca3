// Calendar fields of a moment, thread-safe on both platforms (the C library's
// localtime/gmtime share one buffer, and sessions run on their own threads).
#pragma once

#include <ctime>

inline std::tm localTime(std::time_t t) {
    std::tm fields{};
#ifdef _WIN32
    localtime_s(&fields, &t);
#else
    localtime_r(&t, &fields);
#endif
    return fields;
}

inline std::tm utcTime(std::time_t t) {
    std::tm fields{};
#ifdef _WIN32
    gmtime_s(&fields, &t);
#else
    gmtime_r(&t, &fields);
#endif
    return fields;
}
