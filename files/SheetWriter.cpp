#include "files/SheetWriter.h"

#include <pugixml.hpp>

#include <charconv>
#include <map>
#include <set>

#include "files/SheetReader.h"
#include "files/XmlBatches.h"
#include "files/XmlScan.h"
#include "memhost/model/Address.h"

namespace kx::files {

using memhost::Area;
using memhost::CellPos;

std::string NumberText(double value) {
  char buffer[32];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  return ec == std::errc{} ? std::string(buffer, end) : std::string("0");
}

namespace {
// How a cell is written anew.
enum class Regenerate {
  AsNeeded,    // keep the original when only its format changed
  OwnFormula,  // a shared formula whose group lost its first cell: write the cell's own text
  ValueOnly,   // part of an array formula that was removed: keep the value only
};

std::string Ref(CellPos p) {
  return memhost::ColumnLetters(p.column) + std::to_string(p.row);
}

std::optional<std::int32_t> RowNumber(std::string_view tag) {
  auto r = RawAttribute(tag, "r");
  if (!r) return std::nullopt;
  std::int32_t n = 0;
  auto [p, ec] = std::from_chars(r->data(), r->data() + r->size(), n);
  if (ec != std::errc{} || n < 1 || n > memhost::kMaxRows) return std::nullopt;
  return n;
}

std::optional<std::int32_t> ColumnOf(std::string_view tag) {
  auto r = RawAttribute(tag, "r");
  if (!r) return std::nullopt;
  size_t i = 0;
  while (i < r->size() && std::isalpha(static_cast<unsigned char>((*r)[i]))) ++i;
  return memhost::ColumnFromLetters(r->substr(0, i));
}

bool Truthy(std::optional<std::string_view> v) {
  return v && (*v == "1" || *v == "true");
}

class Writer {
 public:
  Writer(std::string_view xml, SheetWriteContext& ctx, std::string prefix)
      : xml_(xml), ctx_(ctx), p_(std::move(prefix)) {}

  void Plan() {
    const memhost::Sheet& sheet = *ctx_.sheet;
    for (CellPos pos : sheet.changes().cells) cells_[pos.row][pos.column] = Regenerate::AsNeeded;
    if (ctx_.everything) {
      for (std::int32_t col : sheet.UsedColumns()) {
        sheet.ForEachInColumn(col, 1, memhost::kMaxRows,
                              [&](std::int32_t row, const memhost::Cell&) {
                                cells_[row][col] = Regenerate::AsNeeded;
                              });
      }
    }
    for (const FormulaGroup& group : ctx_.source->formulaGroups) {
      if (sheet.changes().cells.count(group.anchor) == 0) continue;
      const memhost::Cell* now = sheet.CellAt(group.anchor);
      if (now != nullptr && now->formula == group.formula) continue;
      // The group's first cell no longer holds the formula: its other cells stand alone.
      for (std::int32_t col = group.area.firstColumn; col <= group.area.lastColumn; ++col) {
        sheet.ForEachInColumn(col, group.area.firstRow, group.area.lastRow,
                              [&](std::int32_t row, const memhost::Cell& cell) {
                                if (CellPos{row, col} == group.anchor || !cell.HasFormula()) return;
                                cells_[row][col] =
                                    group.array ? Regenerate::ValueOnly : Regenerate::OwnFormula;
                              });
      }
    }
    cursor_ = cells_.begin();
    if (sheet.changes().hiddenRows || ctx_.everything) {
      hiddenChanged_ = true;
      for (std::int32_t row : sheet.HiddenRows()) pendingHidden_.insert(row);
    }
  }

  FileResult<std::string> SheetData(const ElementSpan& data) {
    std::string out;
    out.reserve(data.end - data.begin + 4096);
    std::string_view tag = data.StartTag(xml_);
    if (data.selfClosing) {
      out += std::string(tag.substr(0, tag.size() - 2)) + ">";
    } else {
      out += tag;
    }
    bool malformed = false;
    size_t next = data.tagEnd;
    std::int32_t row = 0;
    size_t copied = data.tagEnd;  // original bytes before this are already in `out`
    if (!data.selfClosing) {
      while (auto span = NextChild(xml_, next, data.contentEnd, malformed)) {
        if (LocalName(span->name) != "row") continue;
        std::string_view rowTag = span->StartTag(xml_);
        auto number = RowNumber(rowTag);
        row = number ? *number : row + 1;
        bool hiddenBefore = Truthy(RawAttribute(rowTag, "hidden"));
        bool hiddenAfter = hiddenChanged_ ? ctx_.sheet->RowHidden(row) : hiddenBefore;
        pendingHidden_.erase(row);
        bool rewrite = !number || cells_.count(row) != 0 || hiddenBefore != hiddenAfter;
        bool insertBefore = NextPendingRow() < row;
        // Untouched rows are copied later, with the whole stretch of original bytes they are in.
        if (!rewrite && !insertBefore) continue;
        out.append(xml_.substr(copied, span->begin - copied));
        copied = span->begin;
        NewRowsBefore(row, out);
        if (rewrite) {
          KX_TRY(RewriteRow(*span, row, hiddenAfter, out));
          copied = span->end;
        }
      }
      if (malformed) return FileError{FileErrorKind::Damaged, ctx_.what + " is malformed XML"};
    }
    out.append(xml_.substr(copied, (data.selfClosing ? data.tagEnd : data.contentEnd) - copied));
    NewRowsBefore(memhost::kMaxRows + 1, out);
    out += "</" + std::string(data.selfClosing ? p_ + "sheetData" : std::string(data.name)) + ">";
    return out;
  }

  bool formulaChanged() const { return formulaChanged_; }

 private:
  // The lowest row still waiting to be written: one with changed cells or a new hidden flag.
  std::int32_t NextPendingRow() {
    while (cursor_ != cells_.end() && done_.count(cursor_->first) != 0) ++cursor_;
    std::int32_t next = cursor_ != cells_.end() ? cursor_->first : memhost::kMaxRows + 1;
    if (!pendingHidden_.empty()) next = std::min(next, *pendingHidden_.begin());
    return next;
  }

  // Writes the rows the file does not have yet, below `limit`.
  void NewRowsBefore(std::int32_t limit, std::string& out) {
    while (true) {
      std::int32_t next = NextPendingRow();
      if (next >= limit) return;
      bool hidden = pendingHidden_.erase(next) != 0;
      std::string content;
      if (auto it = cells_.find(next); it != cells_.end()) {
        for (auto [col, how] : it->second) content += Cell(CellPos{next, col}, {}, how);
        done_.insert(next);
      }
      if (content.empty() && !hidden) continue;
      out += "<" + p_ + "row r=\"" + std::to_string(next) + "\"" + (hidden ? " hidden=\"1\"" : "");
      out += content.empty() ? "/>" : ">" + content + "</" + p_ + "row>";
    }
  }

  FileResult<void> RewriteRow(const ElementSpan& span, std::int32_t row, bool hidden,
                              std::string& out) {
    done_.insert(row);
    std::string tag(span.StartTag(xml_));
    if (!RawAttribute(tag, "r")) tag = SetAttribute(tag, "r", std::to_string(row));
    if (hidden != Truthy(RawAttribute(tag, "hidden"))) {
      tag = hidden ? SetAttribute(tag, "hidden", "1") : RemoveAttribute(tag, "hidden");
    }
    auto changed = cells_.find(row);
    std::map<std::int32_t, Regenerate> pending;
    if (changed != cells_.end()) {
      pending = changed->second;
      tag = RemoveAttribute(tag, "spans");  // a hint that added cells could make wrong
    }
    std::string content;
    if (!span.selfClosing) {
      bool malformed = false;
      size_t next = span.tagEnd;
      std::int32_t col = 0;
      size_t copied = span.tagEnd;
      while (auto c = NextChild(xml_, next, span.contentEnd, malformed)) {
        if (LocalName(c->name) != "c") continue;
        std::string_view cellTag = c->StartTag(xml_);
        auto explicitCol = ColumnOf(cellTag);
        col = explicitCol ? *explicitCol : col + 1;
        auto it = pending.find(col);
        if (explicitCol && it == pending.end() && pending.empty()) continue;
        content.append(xml_.substr(copied, c->begin - copied));
        while (!pending.empty() && pending.begin()->first < col) {
          content += Cell(CellPos{row, pending.begin()->first}, {}, pending.begin()->second);
          pending.erase(pending.begin());
        }
        std::string_view original = xml_.substr(c->begin, c->end - c->begin);
        if (it != pending.end()) {
          content += Cell(CellPos{row, col}, original, it->second);
          pending.erase(it);
        } else {
          // Untouched; it gets its reference so that cells written around it cannot move it.
          std::string withRef = SetAttribute(cellTag, "r", Ref(CellPos{row, col}));
          content += withRef;
          content.append(xml_.substr(c->tagEnd, c->end - c->tagEnd));
        }
        copied = c->end;
      }
      if (malformed) return FileError{FileErrorKind::Damaged, ctx_.what + " is malformed XML"};
      content.append(xml_.substr(copied, span.contentEnd - copied));
    }
    for (auto [col, how] : pending) content += Cell(CellPos{row, col}, {}, how);
    if (content.empty() && span.selfClosing) {
      out += tag;
      return {};
    }
    if (span.selfClosing) tag = tag.substr(0, tag.size() - 2) + ">";
    out += tag + content + "</" + std::string(span.name) + ">";
    if (!status_.ok()) return status_;
    return {};
  }

  // The original cell's content, to tell whether only its format changed.
  std::optional<CellContent> OriginalContent(std::string_view original, std::uint64_t xf) {
    pugi::xml_document doc;
    if (!doc.load_buffer(original.data(), original.size(), kCellParse,
                         pugi::encoding_utf8)) {
      return std::nullopt;
    }
    pugi::xml_node c = doc.document_element();
    SheetReadContext read;
    read.what = ctx_.what;
    if (std::string_view(c.attribute("t").value()) == "s") {
      auto strings = ctx_.sharedStrings();
      if (!strings) {
        status_ = strings.error();
        return std::nullopt;
      }
      read.sharedStrings = strings.value();
    }
    auto content = ReadCellContent(c, read);
    if (!content) return std::nullopt;
    if (content->value.IsNumber() && xf < ctx_.dateFormats->size() && (*ctx_.dateFormats)[xf]) {
      content->value = host::Date{content->value.AsNumber() + (ctx_.date1904 ? 1462 : 0)};
    }
    return std::move(content).value();
  }

  bool InsideArray(CellPos pos) const {
    for (const FormulaGroup& g : ctx_.source->formulaGroups) {
      if (g.array && g.area.Contains(pos)) return true;
    }
    return false;
  }

  std::string Cell(CellPos pos, std::string_view original, Regenerate how) {
    const memhost::Cell* cell = ctx_.sheet->CellAt(pos);
    bool hadFormula = !original.empty() && original.find("<" + p_ + "f") != std::string_view::npos;
    if (cell == nullptr) {
      formulaChanged_ |= hadFormula;
      return "";
    }
    std::uint32_t xf = ctx_.styles->FormatFor(ctx_.book->styles.Get(cell->style));
    if (!original.empty() && how == Regenerate::AsNeeded) {
      auto root = RootElement(original);
      std::uint64_t oldXf = 0;
      if (auto s = RawAttribute(root->StartTag(original), "s")) {
        std::from_chars(s->data(), s->data() + s->size(), oldXf);
      }
      auto before = OriginalContent(original, oldXf);
      // The other cells of an array formula have no formula of their own in the file.
      bool formulaBefore = before && (before->hasFormula || InsideArray(pos));
      if (before && before->value == cell->value && formulaBefore == cell->HasFormula()) {
        std::string tag(root->StartTag(original));
        tag = SetAttribute(tag, "r", Ref(pos));
        tag = xf == 0 ? RemoveAttribute(tag, "s") : SetAttribute(tag, "s", std::to_string(xf));
        return tag + std::string(original.substr(root->tagEnd));
      }
    }
    formulaChanged_ |= hadFormula || cell->HasFormula();
    std::string out = "<" + p_ + "c r=\"" + Ref(pos) + "\"";
    if (xf != 0) out += " s=\"" + std::to_string(xf) + "\"";
    bool withFormula = cell->HasFormula() && how != Regenerate::ValueOnly;
    const host::Variant& v = cell->value;
    std::string body;
    if (withFormula)
      body +=
          "<" + p_ + "f>" + EscapeXml(std::string_view(cell->formula).substr(1)) + "</" + p_ + "f>";
    auto value = [&](const std::string& text) {
      body += "<" + p_ + "v>" + text + "</" + p_ + "v>";
    };
    switch (v.kind()) {
      case host::Variant::Kind::Empty:
        break;
      case host::Variant::Kind::Number:
        value(NumberText(v.AsNumber()));
        break;
      case host::Variant::Kind::Date:
        value(NumberText(v.AsDate().serial - (ctx_.date1904 ? 1462 : 0)));
        break;
      case host::Variant::Kind::Boolean:
        out += " t=\"b\"";
        value(v.AsBoolean() ? "1" : "0");
        break;
      case host::Variant::Kind::Error:
        out += " t=\"e\"";
        value(std::string(host::ErrorValueText(v.AsError())));
        break;
      case host::Variant::Kind::Text:
        if (withFormula) {
          out += " t=\"str\"";
          value(EscapeXml(EncodeCellText(v.AsText())));
        } else {
          out += " t=\"inlineStr\"";
          body += "<" + p_ + "is><" + p_ + "t xml:space=\"preserve\">" +
                  EscapeXml(EncodeCellText(v.AsText())) + "</" + p_ + "t></" + p_ + "is>";
        }
        break;
    }
    return body.empty() ? out + "/>" : out + ">" + body + "</" + p_ + "c>";
  }

  std::string_view xml_;
  SheetWriteContext& ctx_;
  std::string p_;
  std::map<std::int32_t, std::map<std::int32_t, Regenerate>> cells_;
  std::set<std::int32_t> pendingHidden_;
  std::set<std::int32_t> done_;
  std::map<std::int32_t, std::map<std::int32_t, Regenerate>>::iterator cursor_;
  bool hiddenChanged_ = false;
  bool formulaChanged_ = false;
  FileResult<void> status_;
};

// Elements that follow the data validation list in a sheet, in order.
constexpr std::string_view kAfterValidations[] = {
    "hyperlinks", "printOptions", "pageMargins",      "pageSetup",       "headerFooter",
    "rowBreaks",  "colBreaks",    "customProperties", "cellWatches",     "ignoredErrors",
    "smartTags",  "drawing",      "legacyDrawing",    "legacyDrawingHF", "picture",
    "oleObjects", "controls",     "webPublishItems",  "tableParts",      "extLst"};
}  // namespace

FileResult<std::string> RewriteSheet(std::string_view xml, SheetWriteContext& ctx) {
  auto root = RootElement(xml);
  if (!root) return FileError{FileErrorKind::Damaged, ctx.what + " is malformed XML"};
  std::string prefix(root->name.substr(0, root->name.size() - LocalName(root->name).size()));
  auto data = FindChild(xml, root->tagEnd, root->contentEnd, "sheetData");
  if (!data) return FileError{FileErrorKind::Damaged, ctx.what + " has no cell data"};

  std::vector<TextEdit> edits;
  const memhost::Sheet& sheet = *ctx.sheet;
  if (!sheet.changes().cells.empty() || sheet.changes().hiddenRows || ctx.everything) {
    Writer writer(xml, ctx, prefix);
    writer.Plan();
    edits.push_back({data->begin, data->end, KX_TRY(writer.SheetData(*data))});
    ctx.formulaChanged |= writer.formulaChanged();
    if (auto dim = FindChild(xml, root->tagEnd, data->begin, "dimension")) {
      auto used = sheet.UsedArea();
      std::string ref = used ? memhost::FormatAreaRelative(*used) : "A1";
      edits.push_back({dim->begin, dim->end, SetAttribute(dim->StartTag(xml), "ref", ref)});
    }
  }
  if (sheet.changes().validations || (ctx.everything && !sheet.validations().empty())) {
    auto existing = FindChild(xml, data->end, root->contentEnd, "dataValidations");
    std::string list = ValidationsXml(sheet.validations(), *ctx.source, prefix);
    if (existing) {
      edits.push_back({existing->begin, existing->end, std::move(list)});
    } else if (!list.empty()) {
      size_t at = root->contentEnd;
      for (std::string_view follower : kAfterValidations) {
        if (auto f = FindChild(xml, data->end, root->contentEnd, follower)) {
          at = std::min(at, f->begin);
        }
      }
      edits.push_back({at, at, std::move(list)});
    }
  }
  return ApplyEdits(xml, std::move(edits));
}

}  // namespace kx::files
