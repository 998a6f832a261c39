#pragma once

#include <string>

#include <nlohmann/json.hpp>

namespace patchkit {

using Json = nlohmann::ordered_json;

// Parses JSON without letting the library throw; on failure `why` gives the line, the column
// and what was wrong there.
bool parseJson(const std::string& text, Json& document, std::string& why);

// Serialises with two-space indentation and a final line feed. Strings are UTF-8 already; a
// stray invalid byte would be replaced rather than abort the dump.
std::string jsonText(const Json& document);

}  // namespace patchkit
