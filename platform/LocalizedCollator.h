#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <unicode/uversion.h>

U_NAMESPACE_BEGIN
class Collator;
U_NAMESPACE_END

namespace quillstone {

// Case-insensitive, locale-aware ordering of display names (secondary strength:
// "Alpha" and "alpha" are equal, accents still count). Copies share one collator.
class LocalizedCollator {
public:
    // A POSIX locale name such as "en_US.UTF-8"; "C", "POSIX" and "" use the root
    // collation, because ICU's default there is ASCII-ordered and case-sensitive.
    explicit LocalizedCollator(std::string_view posixLocale);

    // The user's collation locale: LC_ALL, else LC_COLLATE, else LANG.
    static LocalizedCollator forUserEnvironment();
    // The ICU locale id a POSIX locale name maps to ("" is the root).
    static std::string icuLocaleID(std::string_view posixLocale);

    // Negative, zero or positive; invalid UTF-8 compares as replacement characters.
    int compare(std::string_view left, std::string_view right) const;
    bool less(std::string_view left, std::string_view right) const { return compare(left, right) < 0; }
    // Bytes that order (by unsigned byte comparison) exactly as compare() does;
    // cheaper when one text takes part in many comparisons, as in a sort.
    std::string sortKey(std::string_view text) const;

private:
    std::shared_ptr<const icu::Collator> collator_;
};

} // namespace quillstone
