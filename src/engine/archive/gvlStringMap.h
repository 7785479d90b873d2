#pragma once
// The keyed text archive: a map from text keys to text values ordered by byte-wise
// key comparison, with a current group prefix so nested records write keys such as
// "Person/UnitData/m_nHP".  Numbers are kept as decimal text.  Its stream form is:
// int count, then count pairs of 0-terminated key and value texts in key order.
#include <cstdint>
#include <map>
#include <string>

#include "archive/gvlSerialize.h"

// An object that writes itself into, or reads itself from, a binary stream.
class IArchive {
public:
    virtual void Serialize(ISerialize& stream) = 0;
    virtual ~IArchive() = default;
};

class IStringMap {
public:
    virtual void SetInt64(const std::string& key, int64_t value) = 0;
    virtual void SetString(const std::string& key, const std::string& value) = 0;
    virtual void AppendString(const std::string& key, const std::string& value) = 0;
    // 0 found and parsed; -1 missing (out 0); 1 not a number (out 0).
    virtual int FindInt(const std::string& key, int64_t& out) = 0;
    // 0 found; -1 missing (out emptied).
    virtual int FindString(const std::string& key, std::string& out) = 0;
    // The value when present and not empty, else the default.
    virtual std::string GetString(const std::string& key, const std::string& defaultValue) = 0;
    virtual int GetInt(const std::string& key, int defaultValue) = 0;
    virtual int64_t GetInt64(const std::string& key, int64_t defaultValue) = 0;
    // Erases the key exactly as given (no prefix); true when it existed.
    virtual bool EraseKey(const std::string& key) = 0;
    virtual void Clear() = 0;  // every entry; the prefix stays
    // Replaces each key (in key order) found in text by its value.
    virtual void ReplaceKeys(std::string& text, int exact) = 0;
    virtual std::map<std::string, std::string>& GetMap() = 0;
    virtual ~IStringMap() = default;
};

class CStringMap : public IStringMap, public IArchive {
public:
    CStringMap() = default;
    CStringMap(const CStringMap& other) = default;
    CStringMap& operator=(const CStringMap& other) = default;
    ~CStringMap() override = default;

    void SetInt64(const std::string& key, int64_t value) override;
    void SetString(const std::string& key, const std::string& value) override;
    void AppendString(const std::string& key, const std::string& value) override;
    int FindInt(const std::string& key, int64_t& out) override;
    int FindString(const std::string& key, std::string& out) override;
    std::string GetString(const std::string& key, const std::string& defaultValue) override;
    int GetInt(const std::string& key, int defaultValue) override;
    int64_t GetInt64(const std::string& key, int64_t defaultValue) override;
    bool EraseKey(const std::string& key) override;
    void Clear() override;
    void ReplaceKeys(std::string& text, int exact) override;
    std::map<std::string, std::string>& GetMap() override { return m_Map; }
    const std::map<std::string, std::string>& GetMap() const { return m_Map; }

    // prefix = name, or prefix + "/" + name.
    void EnterGroup(std::string name);
    // Cuts the prefix before its last "/" (empty when there is none).
    void LeaveGroup();
    const std::string& GetPrefix() const { return m_strPrefix; }

    // Storing: count and pairs in key order.  Loading: replaces every entry (a
    // repeated key keeps its first value); a damaged stream leaves the pairs read
    // so far and the stream's error flag set.  The prefix is untouched.
    void Serialize(ISerialize& stream) override;

private:
    std::string FullKey(const std::string& key) const;

    // std::string compares through char_traits<char>, which orders bytes as
    // unsigned values, so keys sort byte-wise with a shorter prefix first.
    std::map<std::string, std::string> m_Map;
    std::string m_strPrefix;
};

// Decimal text of a 64-bit value ("-" for negatives, no leading zeros).
void Int64ToStringInto(int64_t value, std::string& out);
// Appends the decimal text of a value ("-" for negatives, no leading zeros).
void AppendInt64(std::string& out, int64_t value);
std::string Int64ToString(int64_t value);
// Optional "-", then at least one digit; stops at the first non-digit.  0 parsed
// (out set), 1 no number (out 0).  Overflow wraps like the 64-bit arithmetic.
int ParseInt64(std::string text, int64_t& out);
// Replaces every non-overlapping occurrence of find by replacement.  exact == 0
// folds A to Z; two-byte code page 932 characters are compared whole.
void ReplaceAllInText(std::string& text, const char* find, const char* replacement, int exact);
