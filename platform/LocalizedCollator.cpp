#include "platform/LocalizedCollator.h"

#include <algorithm>
#include <cstdlib>
#include <stdexcept>
#include <unicode/coll.h>
#include <unicode/locid.h>
#include <unicode/unistr.h>

namespace quillstone {

namespace {

std::shared_ptr<const icu::Collator> makeCollator(const std::string& localeID) {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Collator> collator(icu::Collator::createInstance(icu::Locale(localeID.c_str()), status));
    if (U_FAILURE(status) || !collator) {
        status = U_ZERO_ERROR;
        collator.reset(icu::Collator::createInstance(icu::Locale::getRoot(), status));
    }
    if (U_FAILURE(status) || !collator) {
        throw std::runtime_error("The ICU collation data could not be loaded.");
    }
    collator->setStrength(icu::Collator::SECONDARY);
    return std::shared_ptr<const icu::Collator>(std::move(collator));
}

const char* nonEmptyVariable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : nullptr;
}

} // namespace

LocalizedCollator::LocalizedCollator(std::string_view posixLocale) : collator_(makeCollator(icuLocaleID(posixLocale))) {}

LocalizedCollator LocalizedCollator::forUserEnvironment() {
    for (const char* name : {"LC_ALL", "LC_COLLATE", "LANG"}) {
        if (const char* value = nonEmptyVariable(name)) {
            return LocalizedCollator(value);
        }
    }
    return LocalizedCollator("C");
}

std::string LocalizedCollator::icuLocaleID(std::string_view posixLocale) {
    std::string_view name = posixLocale.substr(0, posixLocale.find_first_of(".@"));
    if (name.empty() || name == "C" || name == "POSIX") {
        return "";
    }
    return std::string(name);
}

std::string LocalizedCollator::sortKey(std::string_view text) const {
    icu::UnicodeString unicode =
        icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
    std::string key(std::max<size_t>(64, text.size() * 4), '\0');
    auto* bytes = reinterpret_cast<uint8_t*>(key.data());
    int32_t length = collator_->getSortKey(unicode, bytes, static_cast<int32_t>(key.size()));
    if (length > static_cast<int32_t>(key.size())) {
        key.resize(static_cast<size_t>(length));
        length = collator_->getSortKey(unicode, reinterpret_cast<uint8_t*>(key.data()), length);
    }
    // The key ends with a zero byte that adds nothing to the order.
    key.resize(length > 0 ? static_cast<size_t>(length - 1) : 0);
    return key;
}

int LocalizedCollator::compare(std::string_view left, std::string_view right) const {
    UErrorCode status = U_ZERO_ERROR;
    auto result = collator_->compareUTF8(icu::StringPiece(left.data(), static_cast<int32_t>(left.size())),
                                         icu::StringPiece(right.data(), static_cast<int32_t>(right.size())), status);
    if (U_FAILURE(status)) {
        // Only on allocation failure; code point order keeps the sort well defined.
        return left.compare(right);
    }
    return static_cast<int>(result);
}

} // namespace quillstone
