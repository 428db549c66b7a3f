#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace quillstone {

// Owns one libplist node tree. libplist reports failures only through null
// out-pointers and hands out malloc'd strings; this keeps both contained.
class Plist {
public:
    static Plist dictionary();
    // Parses an XML or binary property list; nullopt when it is neither.
    static std::optional<Plist> parse(const std::string& bytes);

    Plist(Plist&& other) noexcept;
    Plist& operator=(Plist&& other) noexcept;
    Plist(const Plist&) = delete;
    Plist& operator=(const Plist&) = delete;
    ~Plist();

    bool isDictionary() const;

    void setString(const std::string& key, const std::string& value);
    void setBool(const std::string& key, bool value);
    void setUnsigned(const std::string& key, uint64_t value);
    void setStringArray(const std::string& key, const std::vector<std::string>& values);
    void setStringDictionary(const std::string& key, const std::map<std::string, std::string>& values);

    std::optional<std::string> string(const std::string& key) const;
    std::optional<bool> boolean(const std::string& key) const;
    std::optional<std::vector<std::string>> stringArray(const std::string& key) const;
    // A dictionary whose values are all strings.
    std::optional<std::map<std::string, std::string>> stringDictionary(const std::string& key) const;
    std::vector<std::string> keys() const;
    std::optional<uint64_t> unsignedInteger(const std::string& key) const;
    // A copy of a nested dictionary.
    std::optional<Plist> dictionaryValue(const std::string& key) const;
    bool contains(const std::string& key) const;

    std::string toXml() const;

private:
    explicit Plist(void* node) : node_(node) {}
    void* node_;
};

} // namespace quillstone
