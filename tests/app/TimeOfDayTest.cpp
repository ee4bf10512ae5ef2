// SPDX-License-Identifier: MIT
#include "app/TimeOfDay.h"

#include <gtest/gtest.h>
#include <unicode/datefmt.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <ctime>
#include <string>
#include <vector>

namespace ondrel {
namespace {

// 21:43:27 UTC on 5 December 2024.
const std::chrono::system_clock::time_point instant{std::chrono::milliseconds(1733435007000)};

// Hours (on a 24- or a 12-hour clock), minutes and seconds in whatever digits the locale writes, and
// nothing else that counts or encloses: no zone offset, no "()" or "[]" where a zone was cut out.
void expectCleanTime(const std::string& locale) {
    const std::string time = TimeOfDayFormat(locale, "UTC").format(instant);
    const icu::UnicodeString text = icu::UnicodeString::fromUTF8(time);
    std::vector<int> numbers;
    bool inNumber = false;
    for (int32_t i = 0; i < text.length(); i = text.moveIndex32(i, 1)) {
        const UChar32 c = text.char32At(i);
        const int8_t type = u_charType(c);
        EXPECT_FALSE(type == U_START_PUNCTUATION || type == U_END_PUNCTUATION) << locale << ": " << time;
        const int32_t digit = u_charDigitValue(c);
        if (digit >= 0 && !inNumber)
            numbers.push_back(0);
        if (digit >= 0)
            numbers.back() = numbers.back() * 10 + digit;
        inNumber = digit >= 0;
    }
    EXPECT_TRUE(numbers == std::vector<int>({21, 43, 27}) || numbers == std::vector<int>({9, 43, 27}))
        << locale << ": " << time;
    EXPECT_EQ(time.find("GMT"), std::string::npos) << locale << ": " << time;
    EXPECT_EQ(time.find("UTC"), std::string::npos) << locale << ": " << time;
}

// Every locale ICU knows under its own name, and some as LANG names them (unknown and unset included).
TEST(TimeOfDayEveryLocale, format_everyLocaleIcuKnowsAndLangNames_hoursMinutesSecondsWithoutZone) {
    int32_t count = 0;
    const icu::Locale* locales = icu::DateFormat::getAvailableLocales(count);
    ASSERT_GT(count, 100);
    for (int32_t i = 0; i < count; ++i)
        expectCleanTime(locales[i].getName());
    for (const char* lang : {"es_ES.UTF-8", "fa_IR.UTF-8", "zh_TW.UTF-8", "sr_RS.UTF-8@latin", "xx_YY", ""})
        expectCleanTime(lang);
}

TEST(TimeOfDayPosix, format_cLocale_asStrftimeWritesItThere) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(instant);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char expected[32];
    ASSERT_GT(std::strftime(expected, sizeof expected, "%X", &utc), 0u);  // this process runs in the C locale
    for (const char* locale : {"C", "C.UTF-8", "POSIX"})
        EXPECT_EQ(TimeOfDayFormat(locale, "UTC").format(instant), expected) << locale;
}

}  // namespace
}  // namespace ondrel
