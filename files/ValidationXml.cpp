#include <algorithm>
#include <array>

#include "files/SheetWriter.h"
#include "files/XmlScan.h"
#include "memhost/model/Address.h"

namespace kx::files {

namespace {
std::string SqrefArea(const memhost::Area& a) {
  auto cell = [](std::int32_t row, std::int32_t col) {
    return memhost::ColumnLetters(col) + std::to_string(row);
  };
  std::string s = cell(a.firstRow, a.firstColumn);
  if (a.cells() > 1) s += ":" + cell(a.lastRow, a.lastColumn);
  return s;
}

std::string StoredFormula(const std::string& shown, long type) {
  if (shown.empty()) return "";
  if (shown[0] == '=') return shown.substr(1);
  // A typed list is stored in quotes; other constants as they are.
  return type == 3 ? "\"" + shown + "\"" : shown;
}
}  // namespace

std::string ValidationsXml(const std::vector<memhost::ValidationRule>& rules,
                           const XlsxSheetSource& source, const std::string& p) {
  static constexpr std::array<const char*, 8> kTypes{"none", "whole", "decimal",    "list",
                                                     "date", "time",  "textLength", "custom"};
  static constexpr std::array<const char*, 9> kOps{
      "between",     "between",  "notBetween",         "equal",          "notEqual",
      "greaterThan", "lessThan", "greaterThanOrEqual", "lessThanOrEqual"};
  // A rule that covers no cells cannot be stored.
  size_t count = static_cast<size_t>(
      std::count_if(rules.begin(), rules.end(), [](const auto& r) { return !r.areas.empty(); }));
  if (count == 0) return "";
  std::string out = "<" + p + "dataValidations count=\"" + std::to_string(count) + "\">";
  for (const memhost::ValidationRule& rule : rules) {
    if (rule.areas.empty()) continue;
    size_t i = static_cast<size_t>(rule.sourceIndex);
    if (rule.sourceIndex >= 0 && i < source.validations.size() && source.validations[i] == rule) {
      out += source.validationXml[i];
      continue;
    }
    auto flag = [&](const char* name, bool on) {
      return on ? std::string(" ") + name + "=\"1\"" : std::string();
    };
    auto text = [&](const char* name, const std::string& value) {
      return value.empty() ? std::string()
                           : std::string(" ") + name + "=\"" + EscapeXml(value) + "\"";
    };
    long type = rule.type >= 0 && rule.type < 8 ? rule.type : 0;
    out += "<" + p + "dataValidation type=\"" + kTypes[static_cast<size_t>(type)] + "\"";
    if (rule.alertStyle == 2) out += " errorStyle=\"warning\"";
    if (rule.alertStyle == 3) out += " errorStyle=\"information\"";
    if (rule.op >= 2 && rule.op <= 8)
      out += std::string(" operator=\"") + kOps[static_cast<size_t>(rule.op)] + "\"";
    out += flag("allowBlank", rule.ignoreBlank);
    out += flag("showDropDown", !rule.inCellDropdown);  // the file's flag hides the drop-down
    out += flag("showInputMessage", rule.showInput);
    out += flag("showErrorMessage", rule.showError);
    out += text("errorTitle", rule.errorTitle) + text("error", rule.errorMessage);
    out += text("promptTitle", rule.inputTitle) + text("prompt", rule.inputMessage);
    std::string sqref;
    for (const memhost::Area& a : rule.areas) sqref += (sqref.empty() ? "" : " ") + SqrefArea(a);
    out += " sqref=\"" + sqref + "\">";
    std::string f1 = StoredFormula(rule.formula1, type), f2 = StoredFormula(rule.formula2, type);
    if (!f1.empty()) out += "<" + p + "formula1>" + EscapeXml(f1) + "</" + p + "formula1>";
    if (!f2.empty()) out += "<" + p + "formula2>" + EscapeXml(f2) + "</" + p + "formula2>";
    out += "</" + p + "dataValidation>";
  }
  out += "</" + p + "dataValidations>";
  return out;
}

}  // namespace kx::files
