#include "platform/LocalizedCollator.h"
#include "support/ScopedEnvironment.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace quillstone;
using quillstone::testing::ScopedEnvironment;

namespace {

std::vector<std::string> sorted(const LocalizedCollator& collator, std::vector<std::string> names) {
    std::stable_sort(names.begin(), names.end(),
                     [&](const std::string& a, const std::string& b) { return collator.less(a, b); });
    return names;
}

} // namespace

TEST(LocalizedCollator, CaseInsensitiveAndStableUnderEveryUsualLocale) {
    for (const char* locale : {"C", "POSIX", "C.UTF-8", "", "en_US.UTF-8", "en_US", "de_DE.UTF-8@euro"}) {
        LocalizedCollator collator(locale);
        EXPECT_EQ(sorted(collator, {"beta", "Alpha", "alpha"}), (std::vector<std::string>{"Alpha", "alpha", "beta"}))
            << locale;
        EXPECT_EQ(sorted(collator, {"beta", "alpha", "Alpha"}), (std::vector<std::string>{"alpha", "Alpha", "beta"}))
            << locale;
        EXPECT_EQ(collator.compare("NIGHTLY", "nightly"), 0) << locale;
        EXPECT_GT(collator.compare("zebra", "\xC3\x84pfel"), 0) << locale; // not byte order
        // Like a person would order them, rather than by code point.
        EXPECT_EQ(sorted(collator, {"Zed", "apple", "\xC3\x89t\xC3\xA9", "Banana", "", "10 files", "2 files"}),
                  (std::vector<std::string>{"", "10 files", "2 files", "apple", "Banana", "\xC3\x89t\xC3\xA9", "Zed"}))
            << locale;
        EXPECT_NE(collator.compare("resume", "r\xC3\xA9sum\xC3\xA9"), 0) << locale; // accents count
        EXPECT_EQ(collator.compare("bad \xFF", "bad \xFF"), 0) << locale;
    }
}

TEST(LocalizedCollator, ReadsTheUsersLocaleFromTheEnvironmentInOrder) {
    EXPECT_EQ(LocalizedCollator::icuLocaleID("en_US.UTF-8"), "en_US");
    EXPECT_EQ(LocalizedCollator::icuLocaleID("sv_SE@euro"), "sv_SE");
    EXPECT_EQ(LocalizedCollator::icuLocaleID("C.UTF-8"), "");
    EXPECT_EQ(LocalizedCollator::icuLocaleID("POSIX"), "");

    ScopedEnvironment environment;
    environment.set("LC_ALL", "C");
    environment.set("LC_COLLATE", "sv_SE.UTF-8");
    environment.set("LANG", "en_US.UTF-8");
    // Under C (the root collation) "ö" sorts with "o"; in Swedish it sorts after "z".
    EXPECT_LT(LocalizedCollator::forUserEnvironment().compare("\xC3\xB6", "z"), 0);
    environment.clear("LC_ALL");
    EXPECT_GT(LocalizedCollator::forUserEnvironment().compare("\xC3\xB6", "z"), 0);
    environment.set("LC_COLLATE", "");
    EXPECT_LT(LocalizedCollator::forUserEnvironment().compare("\xC3\xB6", "z"), 0);
}

TEST(LocalizedCollator, SortKeysOrderExactlyAsComparisonsDo) {
    std::vector<std::string> names{"",      "alpha", "Alpha",          "ALPHA ", "beta",       "B\xC3\xA9ta",
                                   "10",    "9",     "\xC3\x84pfel",   "apfel",  "Zed",        "zed",
                                   "a b",   "ab",    "\xE6\x97\xA5",   "bad \xFF", "\xF0\x9F\x93\x80"};
    for (const char* locale : {"C.UTF-8", "en_US.UTF-8", "sv_SE.UTF-8"}) {
        LocalizedCollator collator(locale);
        for (const auto& left : names) {
            for (const auto& right : names) {
                int byCompare = collator.compare(left, right);
                int byKey = collator.sortKey(left).compare(collator.sortKey(right));
                EXPECT_EQ(byCompare < 0, byKey < 0) << locale << ": " << left << " / " << right;
                EXPECT_EQ(byCompare == 0, byKey == 0) << locale << ": " << left << " / " << right;
            }
        }
    }
}
