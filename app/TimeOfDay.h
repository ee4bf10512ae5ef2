// SPDX-License-Identifier: MIT
#pragma once

// The time of day as the user's locale writes it in its medium style: hours, minutes and seconds,
// never a time zone ("21:41:07" in Spanish, "晚上9:41:07" in Taiwanese Mandarin, "9:41:07 PM" in US
// English), after the date in its short style where asked. The log view stamps its lines with it, the
// history its records.

#include <unicode/uversion.h>

#include <chrono>
#include <memory>
#include <string>

U_NAMESPACE_BEGIN
class DateFormat;
U_NAMESPACE_END

namespace ondrel {

class TimeOfDayFormat {
public:
    // `locale` is a POSIX locale name ("es_ES.UTF-8", "C") or an ICU one ("zh_TW"); an empty or unknown
    // name gives the style of the root locale. `zone` is an IANA zone name; empty for the system's own.
    explicit TimeOfDayFormat(const std::string& locale, const std::string& zone = {}, bool withDate = false);
    ~TimeOfDayFormat();
    TimeOfDayFormat(const TimeOfDayFormat&) = delete;
    TimeOfDayFormat& operator=(const TimeOfDayFormat&) = delete;

    std::string format(std::chrono::system_clock::time_point time) const;

private:
    std::unique_ptr<icu::DateFormat> format_;  // none when ICU could not build one: then "[YYYY-MM-DD ]HH:MM:SS"
    bool withDate_;
};

// The locale that governs how times are written, named as POSIX orders it: LC_ALL, else LC_TIME, else
// LANG; empty when none is set.
std::string timeLocaleFromEnvironment();

}  // namespace ondrel
