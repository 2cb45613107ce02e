#include "incident_outlets/JsonRead.h"

#include <cmath>

namespace incidents {

const nlohmann::json& At(const nlohmann::json& object, const char* key) {
    static const nlohmann::json none;
    if (!object.is_object()) return none;
    const auto found = object.find(key);
    return found == object.end() ? none : *found;
}

std::string Std(const nlohmann::json& value) {
    return value.is_string() ? value.get<std::string>() : std::string();
}

std::int64_t Integer(const nlohmann::json& value) {
    if (value.is_number_integer()) return value.get<std::int64_t>();
    if (!value.is_number_float()) return 0;
    const double number = value.get<double>();
    const bool whole = number == static_cast<double>(static_cast<std::int64_t>(number));
    return std::abs(number) < 9.2e18 && whole ? static_cast<std::int64_t>(number) : 0;
}

}  // namespace incidents
