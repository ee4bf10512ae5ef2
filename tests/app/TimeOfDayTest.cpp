#include "app/TimeOfDay.h"

#include <gtest/gtest.h>
#include <unicode/datefmt.h>
#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <ctime>
#include <string>
#include <vector>

namespace ondrel {
namespace {

// 21:43:27 UTC on 5 December 2024.
const std::chrono::system_clock::time_point instant{std::chrono::milliseconds(1733435007000)};

// The numbers a text shows, read in whatever script's decimal digits it writes them.
std::vector<int> numbersIn(const std::string& text) {
    std::vector<int> numbers;
    bool inNumber = false;
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    for (int32_t offset = 0, length = static_cast<int32_t>(text.size()); offset < length;) {
        UChar32 c = 0;
        U8_NEXT(bytes, offset, length, c);
        const int32_t digit = c >= 0 ? u_charDigitValue(c) : -1;
        if (digit < 0) {
            inNumber = false;
            continue;
        }
        if (!inNumber)
            numbers.push_back(0);
        numbers.back() = numbers.back() * 10 + digit;
        inNumber = true;
    }
    return numbers;
}

bool hasBracket(const std::string& text) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    for (int32_t offset = 0, length = static_cast<int32_t>(text.size()); offset < length;) {
        UChar32 c = 0;
        U8_NEXT(bytes, offset, length, c);
        if (u_charType(c) == U_START_PUNCTUATION || u_charType(c) == U_END_PUNCTUATION)
            return true;
    }
    return false;
}

// Hours (on a 24- or a 12-hour clock), minutes and seconds, and nothing else that counts or encloses:
// no zone offset, no empty "()" or "[]" where a zone was cut out.
void expectCleanTime(const std::string& locale) {
    const std::string time = TimeOfDayFormat(locale, "UTC").format(instant);
    const std::vector<int> numbers = numbersIn(time);
    const std::vector<int> twentyFourHours{21, 43, 27};
    const std::vector<int> twelveHours{9, 43, 27};
    EXPECT_TRUE(numbers == twentyFourHours || numbers == twelveHours) << locale << ": " << time;
    EXPECT_FALSE(hasBracket(time)) << locale << ": " << time;
    EXPECT_EQ(time.find("GMT"), std::string::npos) << locale << ": " << time;
    EXPECT_EQ(time.find("UTC"), std::string::npos) << locale << ": " << time;
}

struct LocaleCase {
    const char* name;
    const char* locale;  // as LANG would name it
};

class TimeOfDayLocales : public testing::TestWithParam<LocaleCase> {};

TEST_P(TimeOfDayLocales, format_locale_hoursMinutesSecondsWithoutZone) {
    expectCleanTime(GetParam().locale);
}

INSTANTIATE_TEST_SUITE_P(
    Locales, TimeOfDayLocales,
    testing::Values(LocaleCase{"es_ES", "es_ES.UTF-8"}, LocaleCase{"ca", "ca_ES.UTF-8"}, LocaleCase{"eu", "eu_ES.UTF-8"},
                    LocaleCase{"hr", "hr_HR.UTF-8"}, LocaleCase{"fa", "fa_IR.UTF-8"},
                    LocaleCase{"zh_TW", "zh_TW.UTF-8"}, LocaleCase{"en_US", "en_US.UTF-8"},
                    LocaleCase{"de_DE", "de_DE.UTF-8"}, LocaleCase{"ar", "ar_EG.UTF-8"}, LocaleCase{"ja", "ja_JP.UTF-8"},
                    LocaleCase{"ko", "ko_KR.UTF-8"}, LocaleCase{"sr_latin", "sr_RS.UTF-8@latin"},
                    LocaleCase{"C", "C.UTF-8"}, LocaleCase{"unset", ""}, LocaleCase{"unknown", "xx_YY"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(TimeOfDayEveryLocale, format_everyLocaleIcuKnows_hoursMinutesSecondsWithoutZone) {
    int32_t count = 0;
    const icu::Locale* locales = icu::DateFormat::getAvailableLocales(count);
    ASSERT_GT(count, 100);
    for (int32_t i = 0; i < count; ++i)
        expectCleanTime(locales[i].getName());
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

TEST(TimeOfDayZone, format_zoneGiven_timeOfThatZone) {
    EXPECT_EQ(numbersIn(TimeOfDayFormat("de_DE", "Asia/Tokyo").format(instant)), (std::vector<int>{6, 43, 27}));
}

}  // namespace
}  // namespace ondrel
