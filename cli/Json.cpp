#include "cli/Json.h"

#include <cstdio>

namespace kx::cli {

std::string JsonString(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
          out += escaped;
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

std::string JsonArray(const std::vector<std::string>& texts) {
  std::string out = "[";
  for (size_t i = 0; i < texts.size(); ++i) out += (i ? "," : "") + JsonString(texts[i]);
  return out + "]";
}

JsonObject& JsonObject::Raw(std::string_view key, const std::string& json) {
  if (!body_.empty()) body_ += ",";
  body_ += JsonString(key) + ":" + json;
  return *this;
}
JsonObject& JsonObject::Text(std::string_view key, std::string_view text) {
  return Raw(key, JsonString(text));
}
JsonObject& JsonObject::Number(std::string_view key, long number) {
  return Raw(key, std::to_string(number));
}
JsonObject& JsonObject::Bool(std::string_view key, bool value) {
  return Raw(key, value ? "true" : "false");
}

}  // namespace kx::cli
