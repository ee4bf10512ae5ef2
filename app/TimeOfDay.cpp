// SPDX-License-Identifier: MIT
#include "app/TimeOfDay.h"

#include <unicode/datefmt.h>
#include <unicode/locid.h>
#include <unicode/timezone.h>

#include <cstdlib>
#include <ctime>

namespace ondrel {
namespace {

icu::Locale icuLocale(const std::string& name) {
    // ICU reads "C" as a language called "c". The C locale writes times on a 24-hour clock ("%X" is
    // "%H:%M:%S"), as the root locale does.
    if (name == "C" || name.starts_with("C.") || name == "POSIX")
        return icu::Locale::getRoot();
    return icu::Locale::createCanonical(name.c_str());  // drops a codeset such as ".UTF-8"
}

std::string hoursMinutesSeconds(std::chrono::system_clock::time_point time, bool withDate) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
    std::tm local{};
    localtime_r(&seconds, &local);
    char buffer[32];
    return std::string(buffer,
                       std::strftime(buffer, sizeof buffer, withDate ? "%Y-%m-%d %H:%M:%S" : "%H:%M:%S", &local));
}

icu::DateFormat* createFormat(const icu::Locale& locale, bool withDate) {
    return withDate ? icu::DateFormat::createDateTimeInstance(icu::DateFormat::kShort, icu::DateFormat::kMedium, locale)
                    : icu::DateFormat::createTimeInstance(icu::DateFormat::kMedium, locale);
}

}  // namespace

TimeOfDayFormat::TimeOfDayFormat(const std::string& locale, const std::string& zone, bool withDate)
    : format_(createFormat(icuLocale(locale), withDate)), withDate_(withDate) {
    if (format_ && !zone.empty())
        format_->adoptTimeZone(icu::TimeZone::createTimeZone(icu::UnicodeString::fromUTF8(zone)));
}

TimeOfDayFormat::~TimeOfDayFormat() = default;

std::string TimeOfDayFormat::format(std::chrono::system_clock::time_point time) const {
    if (!format_)
        return hoursMinutesSeconds(time, withDate_);
    const auto milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch());
    icu::UnicodeString text;
    format_->format(static_cast<UDate>(milliseconds.count()), text);
    std::string result;
    text.toUTF8String(result);
    return result;
}

std::string timeLocaleFromEnvironment() {
    for (const char* variable : {"LC_ALL", "LC_TIME", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0')
            return value;
    }
    return {};
}

}  // namespace ondrel
