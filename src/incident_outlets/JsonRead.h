// Reading the log's and the checkpoint's JSON leniently: a missing member or one of another
// type reads as nothing, never as a failure.
#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>

namespace incidents {

// The member, or null when there is none (or `object` is no object).
const nlohmann::json& At(const nlohmann::json& object, const char* key);
// The text of a string, empty for anything else.
std::string Std(const nlohmann::json& value);
// A whole number; 0 for anything else.
std::int64_t Integer(const nlohmann::json& value);

}  // namespace incidents
