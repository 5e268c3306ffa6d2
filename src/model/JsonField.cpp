#include "model/JsonField.h"

#include <cmath>
#include <sstream>

namespace torva {
namespace {

// Line and column (from 1) of a byte offset of the text.
std::pair<std::size_t, std::size_t> LineAndColumn(const std::string& text, std::size_t offset) {
    std::size_t line = 1, column = 1;
    for (std::size_t i = 0; i < offset && i < text.size(); ++i) {
        if (text[i] == '\n') {
            ++line;
            column = 1;
        } else {
            ++column;
        }
    }
    return {line, column};
}

std::string StepText(int64_t mul, int64_t div) {
    if (div == 1) return std::to_string(mul);
    std::string text = "0.";
    for (int64_t d = div; d > 10; d /= 10) text += '0';
    return text + "1";
}

bool IsSmall(const Json& value) {
    if (value.is_primitive()) return true;
    if (value.is_array()) {
        for (const Json& item : value)
            if (!item.is_primitive()) return false;
        return true;
    }
    for (const auto& item : value.items())
        if (!item.value().is_primitive() && !(item.value().is_array() && IsSmall(item.value()))) return false;
    return true;
}

void Dump(const Json& value, int indent, std::string& out) {
    constexpr std::size_t kLineWidth = 100;
    if (IsSmall(value)) {
        const std::string inline_ = value.dump(-1, ' ', false, Json::error_handler_t::strict);
        if (value.is_primitive() || indent + inline_.size() <= kLineWidth || value.is_array()) {
            // Separators with a space after them read better than the compact form.
            std::string spaced;
            bool inString = false;
            for (std::size_t i = 0; i < inline_.size(); ++i) {
                const char c = inline_[i];
                spaced += c;
                if (c == '"' && (i == 0 || inline_[i - 1] != '\\')) inString = !inString;
                if (!inString && (c == ',' || c == ':')) spaced += ' ';
            }
            out += spaced;
            return;
        }
    }
    const bool isArray = value.is_array();
    if (value.empty()) {
        out += isArray ? "[]" : "{}";
        return;
    }
    out += isArray ? "[\n" : "{\n";
    const std::string pad(static_cast<std::size_t>(indent + 2), ' ');
    std::size_t n = 0;
    for (const auto& item : value.items()) {
        out += pad;
        if (!isArray) out += Json(item.key()).dump() + ": ";
        Dump(item.value(), indent + 2, out);
        if (++n < value.size()) out += ',';
        out += '\n';
    }
    out += std::string(static_cast<std::size_t>(indent), ' ') + (isArray ? "]" : "}");
}

} // namespace

Json ParseJsonText(const std::string& text) {
    try {
        return Json::parse(text);
    } catch (const Json::parse_error& e) {
        // The library's message starts with its own prefix and the byte; the line is what people need.
        const auto [line, column] = LineAndColumn(text, e.byte == 0 ? 0 : e.byte - 1);
        std::string reason = e.what();
        const std::size_t colon = reason.find(": ", reason.find("parse error"));
        if (colon != std::string::npos) reason = reason.substr(colon + 2);
        throw JsonFieldError("", "line " + std::to_string(line) + ", column " + std::to_string(column) +
                                     ": " + reason);
    } catch (const Json::exception& e) {
        // A well-formed number too large for a double (406) has no byte position: the text names it.
        std::string reason = e.what();
        const std::size_t bracket = reason.find("] ");
        if (bracket != std::string::npos) reason = reason.substr(bracket + 2);
        throw JsonFieldError("", reason);
    }
}

JsonField JsonField::Get(const std::string& key) const {
    const Json& object = Object();
    const auto it = object.find(key);
    const std::string path = path_.empty() ? key : path_ + "." + key;
    if (it == object.end()) throw JsonFieldError(path, "missing");
    return {*it, path};
}

std::optional<JsonField> JsonField::Find(const std::string& key) const {
    const Json& object = Object();
    const auto it = object.find(key);
    if (it == object.end() || it->is_null()) return std::nullopt;
    return JsonField(*it, path_.empty() ? key : path_ + "." + key);
}

JsonField JsonField::At(std::size_t i) const {
    return {Array().at(i), path_ + "[" + std::to_string(i) + "]"};
}

void JsonField::OnlyKeys(std::initializer_list<const char*> known) const {
    for (const auto& item : Object().items()) {
        bool found = false;
        for (const char* key : known) found = found || item.key() == key;
        if (!found)
            throw JsonFieldError(path_.empty() ? item.key() : path_ + "." + item.key(), "unknown field");
    }
}

std::string JsonField::TypeName() const {
    switch (value_->type()) {
    case Json::value_t::null:
        return "null";
    case Json::value_t::object:
        return "an object";
    case Json::value_t::array:
        return "an array";
    case Json::value_t::string:
        return "a string";
    case Json::value_t::boolean:
        return "true or false";
    default:
        return "a number";
    }
}

const Json& JsonField::Object() const {
    if (!value_->is_object()) Fail("expected an object, found " + TypeName());
    return *value_;
}

const Json& JsonField::Array() const {
    if (!value_->is_array()) Fail("expected a list, found " + TypeName());
    return *value_;
}

std::string JsonField::String() const {
    if (!value_->is_string()) Fail("expected a string, found " + TypeName());
    return value_->get<std::string>();
}

double JsonField::Number() const {
    if (!value_->is_number()) Fail("expected a number, found " + TypeName());
    return value_->get<double>();
}

int64_t JsonField::Integer(int64_t lo, int64_t hi) const {
    int64_t v = 0;
    if (value_->is_number_integer()) {
        if (value_->is_number_unsigned() && value_->get<uint64_t>() > uint64_t(INT64_MAX))
            Fail("is out of range");
        v = value_->get<int64_t>();
    } else {
        const double d = Number();
        if (d != std::floor(d)) Fail("expected a whole number, found " + value_->dump());
        if (std::fabs(d) > 9e18) Fail("is out of range");
        v = static_cast<int64_t>(d);
    }
    if (v < lo || v > hi)
        Fail("must be between " + std::to_string(lo) + " and " + std::to_string(hi) + ", found " +
             std::to_string(v));
    return v;
}

int64_t JsonField::Scaled(int64_t mul, int64_t div, int64_t lo, int64_t hi) const {
    auto describe = [&](int64_t stored) {
        std::ostringstream text;
        text << ScaledValue(stored, mul, div).dump();
        return text.str();
    };
    int64_t stored = 0;
    if (div == 1) {
        const int64_t v = JsonField(*value_, path_).Integer(INT64_MIN / 2, INT64_MAX / 2);
        if (v % mul != 0)
            Fail("is not a multiple of " + StepText(mul, div) + " (found " + value_->dump() + ")");
        stored = v / mul;
    } else {
        const double v = Number();
        const double scaled = v * static_cast<double>(div);
        if (!std::isfinite(scaled) || std::fabs(scaled) > 9e15) Fail("is out of range");
        stored = std::llround(scaled);
        if (std::fabs(scaled - static_cast<double>(stored)) > 1e-6)
            Fail("is not a multiple of " + StepText(mul, div) + " (found " + value_->dump() + ")");
    }
    if (stored < lo || stored > hi)
        Fail("must be between " + describe(lo) + " and " + describe(hi) + ", found " + value_->dump());
    return stored;
}

std::pair<int, int> JsonField::Range(int lo, int hi) const {
    if (value_->is_number()) {
        const int v = static_cast<int>(Integer(lo, hi));
        return {v, v};
    }
    if (!value_->is_array() || value_->size() != 2) Fail("expected a number or a pair [first, last]");
    const int a = static_cast<int>(At(0).Integer(lo, hi));
    const int b = static_cast<int>(At(1).Integer(lo, hi));
    if (a > b) Fail("the first of the pair is larger than the last");
    return {a, b};
}

Json ScaledValue(int64_t stored, int64_t mul, int64_t div) {
    if (div == 1) return Json(stored * mul);
    return Json(static_cast<double>(stored) / static_cast<double>(div));
}

std::string DumpReadableJson(const Json& value) {
    std::string out;
    Dump(value, 0, out);
    return out + "\n";
}

} // namespace torva
