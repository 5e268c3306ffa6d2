#pragma once
// Reading JSON documents field by field with the field's path at hand, so that every refusal names
// the field ("types.concrete[2].fc_MPa: expected a number, found a string"). Shared by the model
// format and the study files.
#include <cstdint>
#include <initializer_list>
#include <nlohmann/json.hpp>
#include <optional>
#include <stdexcept>
#include <string>

namespace torva {

using Json = nlohmann::ordered_json;

// A refusal: the path of the field and what is wrong with it.
class JsonFieldError : public std::runtime_error {
public:
    JsonFieldError(const std::string& path, const std::string& what)
        : std::runtime_error(path.empty() ? what : path + ": " + what) {}
};

// Parses JSON text; text that is not JSON is refused with "line L, column C: <reason>".
Json ParseJsonText(const std::string& text);

// A value and where it sits in its document.
class JsonField {
public:
    JsonField(const Json& value, std::string path) : value_(&value), path_(std::move(path)) {}

    const Json& Value() const { return *value_; }
    const std::string& Path() const { return path_; }
    [[noreturn]] void Fail(const std::string& what) const { throw JsonFieldError(path_, what); }

    // A member that must be there / may be there (null counts as absent for Find).
    JsonField Get(const std::string& key) const;
    std::optional<JsonField> Find(const std::string& key) const;
    bool Has(const std::string& key) const { return Find(key).has_value(); }
    // Element i of an array.
    JsonField At(std::size_t i) const;

    // Refuses members not in `known`, naming the first one found.
    void OnlyKeys(std::initializer_list<const char*> known) const;
    // Type checks; they return the value when it is of the kind asked for.
    const Json& Object() const;
    const Json& Array() const;
    std::size_t Size() const { return Array().size(); }
    std::string String() const;
    double Number() const;
    // A whole number in [lo, hi]; 3.0 counts as whole, 3.5 does not.
    int64_t Integer(int64_t lo, int64_t hi) const;
    // A value stored as an integer in steps of mul/div: the stored integer is value·div/mul, and a
    // value between two steps is refused ("is not a multiple of 0.01"). The stored integer must lie in
    // [lo, hi].
    int64_t Scaled(int64_t mul, int64_t div, int64_t lo, int64_t hi) const;
    // An [a, b] pair, or a single number for a = b, each in [lo, hi], a <= b.
    std::pair<int, int> Range(int lo, int hi) const;

private:
    std::string TypeName() const;
    const Json* value_;
    std::string path_;
};

// The JSON value of a stored integer in steps of mul/div (the inverse of JsonField::Scaled).
Json ScaledValue(int64_t stored, int64_t mul, int64_t div);

// Two-space indented text, arrays of numbers and small records kept on one line; ends in "\n".
std::string DumpReadableJson(const Json& value);

} // namespace torva
