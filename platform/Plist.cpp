#include "platform/Plist.h"

#include <cstdlib>
#include <memory>
#include <plist/plist.h>
#include <stdexcept>
#include <utility>

namespace quillstone {

namespace {

struct MallocFree {
    void operator()(char* text) const { std::free(text); }
};
using MallocString = std::unique_ptr<char, MallocFree>;

// A string with a NUL inside is no string we can pass on (paths, labels,
// arguments), so it reads as absent.
std::optional<std::string> stringValue(plist_t node) {
    if (node == nullptr || plist_get_node_type(node) != PLIST_STRING) {
        return std::nullopt;
    }
    uint64_t length = 0;
    const char* text = plist_get_string_ptr(node, &length);
    if (text == nullptr) {
        return std::nullopt;
    }
    std::string value(text, static_cast<size_t>(length));
    if (value.find('\0') != std::string::npos) {
        return std::nullopt;
    }
    return value;
}

// libplist asserts (and so aborts the process) when it hands out a key or
// string holding a NUL character. XML with a NUL byte or a character reference
// to U+0000 is therefore refused before it is parsed.
bool mentionsNulCharacter(const std::string& xml) {
    if (xml.find('\0') != std::string::npos) {
        return true;
    }
    for (size_t at = xml.find("&#"); at != std::string::npos; at = xml.find("&#", at + 2)) {
        size_t index = at + 2;
        bool hex = index < xml.size() && (xml[index] == 'x' || xml[index] == 'X');
        index += hex ? 1 : 0;
        size_t digits = index;
        while (index < xml.size() && xml[index] == '0') {
            ++index;
        }
        if (index > digits && index < xml.size() && xml[index] == ';') {
            return true;
        }
    }
    return false;
}

plist_t parseXml(const std::string& xml) {
    if (xml.empty() || xml.size() > UINT32_MAX || mentionsNulCharacter(xml)) {
        return nullptr;
    }
    plist_t node = nullptr;
    plist_from_xml(xml.data(), static_cast<uint32_t>(xml.size()), &node);
    return node;
}

// A binary list goes through XML once, so that it passes the same check.
plist_t parseBinary(const std::string& bytes) {
    plist_t binary = nullptr;
    plist_from_bin(bytes.data(), static_cast<uint32_t>(bytes.size()), &binary);
    if (binary == nullptr) {
        return nullptr;
    }
    char* raw = nullptr;
    uint32_t length = 0;
    plist_to_xml(binary, &raw, &length);
    plist_free(binary);
    std::unique_ptr<char, MallocFree> xml(raw);
    return xml ? parseXml(std::string(xml.get(), length)) : nullptr;
}

// Keys in the order the dictionary holds them.
std::vector<std::string> dictionaryKeys(plist_t dictionary) {
    std::vector<std::string> names;
    plist_dict_iter iterator = nullptr;
    plist_dict_new_iter(dictionary, &iterator);
    std::unique_ptr<void, void (*)(void*)> ownedIterator(iterator, std::free);
    while (iterator != nullptr) {
        char* raw = nullptr;
        plist_t item = nullptr;
        plist_dict_next_item(dictionary, iterator, &raw, &item);
        MallocString owned(raw);
        if (!owned) {
            break;
        }
        names.emplace_back(owned.get());
    }
    return names;
}

} // namespace

Plist Plist::dictionary() { return Plist(plist_new_dict()); }

std::optional<Plist> Plist::parse(const std::string& bytes) {
    if (bytes.empty() || bytes.size() > UINT32_MAX) {
        return std::nullopt;
    }
    plist_t node = plist_is_binary(bytes.data(), static_cast<uint32_t>(bytes.size())) ? parseBinary(bytes)
                                                                                     : parseXml(bytes);
    if (node == nullptr) {
        return std::nullopt;
    }
    return Plist(node);
}

Plist::Plist(Plist&& other) noexcept : node_(std::exchange(other.node_, nullptr)) {}

Plist& Plist::operator=(Plist&& other) noexcept {
    if (this != &other) {
        if (node_ != nullptr) {
            plist_free(node_);
        }
        node_ = std::exchange(other.node_, nullptr);
    }
    return *this;
}

Plist::~Plist() {
    if (node_ != nullptr) {
        plist_free(node_);
    }
}

bool Plist::isDictionary() const { return node_ != nullptr && plist_get_node_type(node_) == PLIST_DICT; }

void Plist::setString(const std::string& key, const std::string& value) {
    plist_dict_set_item(node_, key.c_str(), plist_new_string(value.c_str()));
}

void Plist::setBool(const std::string& key, bool value) {
    plist_dict_set_item(node_, key.c_str(), plist_new_bool(value ? 1 : 0));
}

void Plist::setUnsigned(const std::string& key, uint64_t value) {
    plist_dict_set_item(node_, key.c_str(), plist_new_uint(value));
}

void Plist::setStringArray(const std::string& key, const std::vector<std::string>& values) {
    plist_t array = plist_new_array();
    for (const auto& value : values) {
        plist_array_append_item(array, plist_new_string(value.c_str()));
    }
    plist_dict_set_item(node_, key.c_str(), array);
}

void Plist::setStringDictionary(const std::string& key, const std::map<std::string, std::string>& values) {
    plist_t dictionary = plist_new_dict();
    for (const auto& [name, value] : values) {
        plist_dict_set_item(dictionary, name.c_str(), plist_new_string(value.c_str()));
    }
    plist_dict_set_item(node_, key.c_str(), dictionary);
}

std::optional<std::string> Plist::string(const std::string& key) const {
    if (!isDictionary()) {
        return std::nullopt;
    }
    return stringValue(plist_dict_get_item(node_, key.c_str()));
}

std::optional<bool> Plist::boolean(const std::string& key) const {
    if (!isDictionary()) {
        return std::nullopt;
    }
    plist_t item = plist_dict_get_item(node_, key.c_str());
    if (item == nullptr || plist_get_node_type(item) != PLIST_BOOLEAN) {
        return std::nullopt;
    }
    uint8_t value = 0;
    plist_get_bool_val(item, &value);
    return value != 0;
}

std::optional<std::vector<std::string>> Plist::stringArray(const std::string& key) const {
    if (!isDictionary()) {
        return std::nullopt;
    }
    plist_t array = plist_dict_get_item(node_, key.c_str());
    if (array == nullptr || plist_get_node_type(array) != PLIST_ARRAY) {
        return std::nullopt;
    }
    std::vector<std::string> values;
    for (uint32_t index = 0; index < plist_array_get_size(array); ++index) {
        auto value = stringValue(plist_array_get_item(array, index));
        if (!value) {
            return std::nullopt;
        }
        values.push_back(*value);
    }
    return values;
}

std::optional<uint64_t> Plist::unsignedInteger(const std::string& key) const {
    if (!isDictionary()) {
        return std::nullopt;
    }
    plist_t item = plist_dict_get_item(node_, key.c_str());
    if (item == nullptr || plist_get_node_type(item) != PLIST_UINT) {
        return std::nullopt;
    }
    uint64_t value = 0;
    plist_get_uint_val(item, &value);
    return value;
}

std::optional<std::map<std::string, std::string>> Plist::stringDictionary(const std::string& key) const {
    if (!isDictionary()) {
        return std::nullopt;
    }
    plist_t dictionary = plist_dict_get_item(node_, key.c_str());
    if (dictionary == nullptr || plist_get_node_type(dictionary) != PLIST_DICT) {
        return std::nullopt;
    }
    std::map<std::string, std::string> values;
    for (const auto& name : dictionaryKeys(dictionary)) {
        auto value = stringValue(plist_dict_get_item(dictionary, name.c_str()));
        if (!value) {
            return std::nullopt;
        }
        values[name] = *value;
    }
    return values;
}

std::vector<std::string> Plist::keys() const {
    return isDictionary() ? dictionaryKeys(node_) : std::vector<std::string>{};
}

std::optional<Plist> Plist::dictionaryValue(const std::string& key) const {
    if (!isDictionary()) {
        return std::nullopt;
    }
    plist_t item = plist_dict_get_item(node_, key.c_str());
    if (item == nullptr || plist_get_node_type(item) != PLIST_DICT) {
        return std::nullopt;
    }
    return Plist(plist_copy(item));
}

bool Plist::contains(const std::string& key) const {
    return isDictionary() && plist_dict_get_item(node_, key.c_str()) != nullptr;
}

std::string Plist::toXml() const {
    char* raw = nullptr;
    uint32_t length = 0;
    plist_to_xml(node_, &raw, &length);
    MallocString owned(raw);
    if (!owned) {
        throw std::runtime_error("The property list could not be encoded.");
    }
    return std::string(owned.get(), length);
}

} // namespace quillstone
