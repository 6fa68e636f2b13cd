#pragma once
// A small writer for the one JSON object --json prints.

#include <string>
#include <string_view>
#include <vector>

namespace kx::cli {

std::string JsonString(std::string_view text);
std::string JsonArray(const std::vector<std::string>& texts);

class JsonObject {
 public:
  JsonObject& Raw(std::string_view key, const std::string& json);
  JsonObject& Text(std::string_view key, std::string_view text);
  JsonObject& Number(std::string_view key, long number);
  JsonObject& Bool(std::string_view key, bool value);
  JsonObject& Null(std::string_view key) { return Raw(key, "null"); }
  std::string str() const { return "{" + body_ + "}"; }

 private:
  std::string body_;
};

}  // namespace kx::cli
