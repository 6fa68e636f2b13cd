#include "files/XlsxStyles.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>

#include "files/XmlScan.h"
#include "memhost/model/NumberFormat.h"

namespace kx::files {

namespace {
std::optional<std::int64_t> IntAttribute(std::string_view tag, std::string_view name) {
  auto raw = RawAttribute(tag, name);
  if (!raw) return std::nullopt;
  std::int64_t v = 0;
  auto [p, ec] = std::from_chars(raw->data(), raw->data() + raw->size(), v);
  if (ec != std::errc{}) return std::nullopt;
  return v;
}

constexpr std::int32_t kNone = static_cast<std::int32_t>(host::xl::ColorIndexNone);
}  // namespace

std::int32_t FillColorIndex(std::string_view fill, const ThemeColors& theme, bool* exactIndexed) {
  if (exactIndexed != nullptr) *exactIndexed = false;
  auto pattern = FindChild(fill, 0, fill.size(), "fill");
  size_t from = 0, to = fill.size();
  if (pattern) {
    from = pattern->tagEnd;
    to = pattern->contentEnd;
  }
  auto patternFill = FindChild(fill, from, to, "patternFill");
  if (!patternFill) return kNone;  // gradient fills have no single colour
  auto type = RawAttribute(patternFill->StartTag(fill), "patternType");
  if (!type || *type != "solid") return kNone;
  auto fg = FindChild(fill, patternFill->tagEnd, patternFill->contentEnd, "fgColor");
  if (!fg) return 1;  // a solid fill without a colour is drawn in the automatic colour, black
  std::string_view tag = fg->StartTag(fill);
  if (auto indexed = IntAttribute(tag, "indexed")) {
    if (*indexed >= 8 && *indexed <= 63) {
      if (exactIndexed != nullptr) *exactIndexed = true;
      return static_cast<std::int32_t>(*indexed - kIndexedOffset);
    }
    if (*indexed >= 0 && *indexed < 8) return static_cast<std::int32_t>(*indexed + 1);
    return kNone;  // the system colours 64 and 65
  }
  std::optional<Rgb> rgb;
  if (auto argb = RawAttribute(tag, "rgb"))
    rgb = ParseArgb(*argb);
  else if (auto th = IntAttribute(tag, "theme"); th && *th >= 0 && *th < 12)
    rgb = theme[static_cast<size_t>(*th)];
  if (!rgb) return kNone;
  if (auto tint = RawAttribute(tag, "tint")) {
    rgb = ApplyTint(*rgb, std::strtod(std::string(*tint).c_str(), nullptr));
  }
  return NearestColorIndex(*rgb);
}

FileResult<XlsxStyles> XlsxStyles::Parse(std::string text, const ThemeColors& theme,
                                         const std::string& fileName) {
  XlsxStyles s;
  s.text_ = std::move(text);
  std::string_view t = s.text_;
  if (t.empty()) {
    s.formats_.push_back(memhost::Style{kNone, "General", 0});
    return s;
  }
  auto root = RootElement(t);
  if (!root || LocalName(root->name) != "styleSheet") {
    return FileError{FileErrorKind::Damaged, fileName + ": the styles part is malformed"};
  }
  s.prefix_ = std::string(root->name.substr(0, root->name.size() - LocalName(root->name).size()));
  // A missing list goes before the first list that follows it in a style part.
  auto spanOf = [&](std::string_view local, std::initializer_list<std::string_view> following) {
    Span span;
    if (auto e = FindChild(t, root->tagEnd, root->contentEnd, local)) {
      span.present = true;
      span.begin = e->begin;
      span.end = e->end;
      span.contentBegin = e->tagEnd;
      span.contentEnd = e->contentEnd;
      span.selfClosing = e->selfClosing;
      return span;
    }
    span.insertAt = root->contentEnd;
    for (std::string_view next : following) {
      if (auto f = FindChild(t, root->tagEnd, root->contentEnd, next)) {
        span.insertAt = f->begin;
        break;
      }
    }
    return span;
  };
  s.numFmtsSpan_ = spanOf("numFmts", {"fonts", "fills", "borders", "cellStyleXfs", "cellXfs"});
  s.fillsSpan_ = spanOf("fills", {"borders", "cellStyleXfs", "cellXfs", "cellStyles", "dxfs"});
  s.xfsSpan_ = spanOf("cellXfs", {"cellStyles", "dxfs", "tableStyles", "colors", "extLst"});

  bool malformed = false;
  if (s.numFmtsSpan_.present) {
    size_t next = s.numFmtsSpan_.contentBegin;
    while (auto nf = NextChild(t, next, s.numFmtsSpan_.contentEnd, malformed)) {
      std::string_view tag = nf->StartTag(t);
      auto id = IntAttribute(tag, "numFmtId");
      auto code = RawAttribute(tag, "formatCode");
      if (id && code) s.numFmts_[static_cast<std::int32_t>(*id)] = UnescapeXml(*code);
    }
  }
  if (s.fillsSpan_.present) {
    size_t next = s.fillsSpan_.contentBegin;
    while (auto fill = NextChild(t, next, s.fillsSpan_.contentEnd, malformed)) {
      bool exact = false;
      s.fillColors_.push_back(
          FillColorIndex(t.substr(fill->begin, fill->end - fill->begin), theme, &exact));
      s.fillIsIndexed_.push_back(exact);
    }
  }
  if (s.xfsSpan_.present) {
    size_t next = s.xfsSpan_.contentBegin;
    while (auto xf = NextChild(t, next, s.xfsSpan_.contentEnd, malformed)) {
      std::string_view tag = xf->StartTag(t);
      memhost::Style style;
      style.sourceStyle = static_cast<std::int32_t>(s.formats_.size());
      auto fillId = IntAttribute(tag, "fillId").value_or(0);
      if (fillId >= 0 && static_cast<size_t>(fillId) < s.fillColors_.size()) {
        style.colorIndex = s.fillColors_[static_cast<size_t>(fillId)];
      }
      auto numFmtId = static_cast<std::int32_t>(IntAttribute(tag, "numFmtId").value_or(0));
      if (auto custom = s.numFmts_.find(numFmtId); custom != s.numFmts_.end()) {
        style.numberFormat = custom->second;
      } else if (auto builtin = memhost::BuiltinNumberFormat(numFmtId)) {
        style.numberFormat = *builtin;
      }
      s.formats_.push_back(std::move(style));
      s.xfTexts_.emplace_back(t.substr(xf->begin, xf->end - xf->begin));
    }
  }
  if (malformed)
    return FileError{FileErrorKind::Damaged, fileName + ": the styles part is malformed"};
  if (s.formats_.empty()) s.formats_.push_back(memhost::Style{kNone, "General", 0});
  s.existingFills_ = s.fillColors_.size();
  s.existingXfs_ = s.xfTexts_.size();
  return s;
}

std::uint32_t XlsxStyles::FillFor(std::int32_t colorIndex) {
  for (size_t i = 0; i < fillColors_.size(); ++i) {
    if (fillColors_[i] != colorIndex) continue;
    if (colorIndex == kNone || fillIsIndexed_[i]) return static_cast<std::uint32_t>(i);
  }
  std::string fill = "<" + prefix_ + "fill><" + prefix_ + "patternFill patternType=";
  if (colorIndex == kNone) {
    fill += "\"none\"/>";
  } else {
    fill += "\"solid\"><" + prefix_ + "fgColor indexed=\"" +
            std::to_string(colorIndex + kIndexedOffset) + "\"/><" + prefix_ +
            "bgColor indexed=\"64\"/></" + prefix_ + "patternFill>";
  }
  fill += "</" + prefix_ + "fill>";
  addedFills_.push_back(std::move(fill));
  fillColors_.push_back(colorIndex);
  fillIsIndexed_.push_back(colorIndex != kNone);
  changed_ = true;
  return static_cast<std::uint32_t>(fillColors_.size() - 1);
}

std::uint32_t XlsxStyles::NumberFormatFor(const std::string& code) {
  for (const auto& [id, c] : numFmts_) {
    if (c == code) return static_cast<std::uint32_t>(id);
  }
  for (int id = 0; id < 164; ++id) {
    if (numFmts_.count(id) == 0 && memhost::BuiltinNumberFormat(id) == code) {
      return static_cast<std::uint32_t>(id);
    }
  }
  std::int32_t id = 164;
  if (!numFmts_.empty()) id = std::max(id, numFmts_.rbegin()->first + 1);
  numFmts_[id] = code;
  addedNumFmts_.push_back("<" + prefix_ + "numFmt numFmtId=\"" + std::to_string(id) +
                          "\" formatCode=\"" + EscapeXml(code) + "\"/>");
  changed_ = true;
  return static_cast<std::uint32_t>(id);
}

std::uint32_t XlsxStyles::FormatFor(const memhost::Style& style) {
  std::int32_t source = style.sourceStyle;
  if (source < 0 || static_cast<size_t>(source) >= formats_.size()) source = 0;
  const memhost::Style& base = formats_[static_cast<size_t>(source)];
  if (base.colorIndex == style.colorIndex && base.numberFormat == style.numberFormat) {
    return static_cast<std::uint32_t>(source);
  }
  std::string xf =
      static_cast<size_t>(source) < xfTexts_.size()
          ? xfTexts_[static_cast<size_t>(source)]
          : "<" + prefix_ + "xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/>";
  auto tagEnd = RootElement(xf);
  std::string tag = tagEnd ? std::string(tagEnd->StartTag(xf)) : xf;
  std::string rest = tagEnd ? xf.substr(tagEnd->tagEnd) : "";
  if (base.colorIndex != style.colorIndex) {
    tag = SetAttribute(tag, "fillId", std::to_string(FillFor(style.colorIndex)));
    tag = SetAttribute(tag, "applyFill", "1");
  }
  if (base.numberFormat != style.numberFormat) {
    tag = SetAttribute(tag, "numFmtId", std::to_string(NumberFormatFor(style.numberFormat)));
    tag = SetAttribute(tag, "applyNumberFormat", "1");
  }
  xf = tag + rest;
  for (size_t i = 0; i < xfTexts_.size(); ++i) {
    if (xfTexts_[i] == xf) return static_cast<std::uint32_t>(i);
  }
  xfTexts_.push_back(xf);
  addedXfs_.push_back(xf);
  memhost::Style made = style;
  made.sourceStyle = static_cast<std::int32_t>(formats_.size());
  formats_.push_back(made);
  changed_ = true;
  return static_cast<std::uint32_t>(xfTexts_.size() - 1);
}

std::string XlsxStyles::ListText(const Span& span, std::string_view local,
                                 const std::vector<std::string>& added, size_t existing) const {
  std::string_view t = text_;
  std::string tag = span.present && !span.selfClosing
                        ? std::string(t.substr(span.begin, span.contentBegin - span.begin))
                        : "<" + prefix_ + std::string(local) + ">";
  std::string out = SetAttribute(tag, "count", std::to_string(existing + added.size()));
  if (span.present) out.append(t.substr(span.contentBegin, span.contentEnd - span.contentBegin));
  for (const std::string& a : added) out += a;
  out += "</" + prefix_ + std::string(local) + ">";
  return out;
}

std::string XlsxStyles::Text() const {
  if (!changed_) return text_;
  std::string_view t = text_;
  // Rewrites the three lists in document order; a missing numFmts list goes first in the sheet.
  std::vector<TextEdit> edits;
  auto editList = [&](const Span& span, std::string_view local,
                      const std::vector<std::string>& added, size_t existing) {
    if (added.empty()) return;
    std::string list = ListText(span, local, added, existing);
    if (span.present)
      edits.push_back({span.begin, span.end, std::move(list)});
    else
      edits.push_back({span.insertAt, span.insertAt, std::move(list)});
  };
  editList(numFmtsSpan_, "numFmts", addedNumFmts_, numFmts_.size() - addedNumFmts_.size());
  editList(fillsSpan_, "fills", addedFills_, existingFills_);
  editList(xfsSpan_, "cellXfs", addedXfs_, existingXfs_);
  return ApplyEdits(t, std::move(edits));
}

}  // namespace kx::files
