#include "memhost/model/NumberFormat.h"

#include <cctype>

namespace kx::memhost {

std::optional<std::string> BuiltinNumberFormat(int id) {
  switch (id) {
    case 0: return "General";
    case 1: return "0";
    case 2: return "0.00";
    case 3: return "#,##0";
    case 4: return "#,##0.00";
    case 9: return "0%";
    case 10: return "0.00%";
    case 11: return "0.00E+00";
    case 12: return "# ?/?";
    case 13: return "# ?\?/??";  // escaped: "??/" would read as a trigraph
    case 14: return "m/d/yyyy";
    case 15: return "d-mmm-yy";
    case 16: return "d-mmm";
    case 17: return "mmm-yy";
    case 18: return "h:mm AM/PM";
    case 19: return "h:mm:ss AM/PM";
    case 20: return "h:mm";
    case 21: return "h:mm:ss";
    case 22: return "m/d/yyyy h:mm";
    case 37: return "#,##0 ;(#,##0)";
    case 38: return "#,##0 ;[Red](#,##0)";
    case 39: return "#,##0.00;(#,##0.00)";
    case 40: return "#,##0.00;[Red](#,##0.00)";
    case 45: return "mm:ss";
    case 46: return "[h]:mm:ss";
    case 47: return "mmss.0";
    case 48: return "##0.0E+0";
    case 49: return "@";
    default: return std::nullopt;
  }
}

bool IsDateFormat(std::string_view code) {
  // Only the first section decides; the others format negatives, zero and text.
  for (size_t i = 0; i < code.size(); ++i) {
    char c = code[i];
    if (c == ';') return false;
    if (c == '"') {
      auto close = code.find('"', i + 1);
      if (close == std::string_view::npos) return false;
      i = close;
      continue;
    }
    if (c == '\\' || c == '_' || c == '*') {
      ++i;  // the next character is literal (or padding)
      continue;
    }
    if (c == '[') {
      auto close = code.find(']', i + 1);
      if (close == std::string_view::npos) return false;
      std::string_view inner = code.substr(i + 1, close - i - 1);
      if (!inner.empty()) {
        char first = static_cast<char>(std::tolower(static_cast<unsigned char>(inner[0])));
        if (first == 'h' || first == 'm' || first == 's') {
          bool elapsed = true;
          for (char ch : inner) {
            if (std::tolower(static_cast<unsigned char>(ch)) != first) elapsed = false;
          }
          if (elapsed) return true;
        }
      }
      i = close;
      continue;
    }
    switch (std::tolower(static_cast<unsigned char>(c))) {
      case 'd': case 'm': case 'y': case 'h': case 's':
        return true;
      case 'g':
        // "General" is no date.
        if (code.substr(i).size() >= 7) {
          std::string word(code.substr(i, 7));
          for (auto& ch : word) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
          if (word == "general") {
            i += 6;
            continue;
          }
        }
        break;
      case 'e':
        // "E+" / "E-" is scientific notation, not an era.
        break;
      default:
        break;
    }
  }
  return false;
}

}  // namespace kx::memhost
