#include "files/SheetWriter.h"

#include <pugixml.hpp>

#include <algorithm>
#include <charconv>

#include "files/SheetReader.h"
#include "files/SheetWalk.h"
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

void AppendNumber(std::string& out, std::int64_t n) {
  char buffer[24];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, n);
  out.append(buffer, end);
}

void AppendRef(std::string& out, CellPos p) {
  out += memhost::ColumnLetters(p.column);
  AppendNumber(out, p.row);
}

// A cell written anew, and how.
struct ChangedCell {
  std::int32_t row = 0, column = 0;
  Regenerate how = Regenerate::AsNeeded;
};

// The changed cells of one row: changed_[first, end). Kept small: a sheet may have a million.
struct ChangedRow {
  std::int32_t row = 0;
  std::uint32_t first = 0, end = 0;
  bool done = false;  // written
};

class Writer {
 public:
  Writer(SheetWriteContext& ctx, std::string prefix)
      : ctx_(ctx), p_(std::move(prefix)), formulaTag_("<" + p_ + "f") {}

  void Plan() {
    const memhost::Sheet& sheet = *ctx_.sheet;
    // Later entries for a cell win: a cell of a broken formula group is written as that says.
    changed_.reserve(sheet.changes().cells.size());
    for (CellPos pos : sheet.changes().cells) changed_.push_back({pos.row, pos.column});
    if (ctx_.everything) {
      for (std::int32_t col : sheet.UsedColumns()) {
        sheet.ForEachInColumn(col, 1, memhost::kMaxRows,
                              [&](std::int32_t row, const memhost::Cell&) {
                                changed_.push_back({row, col});
                              });
      }
    }
    for (const FormulaGroup& group : ctx_.source->formulaGroups) {
      if (sheet.changes().cells.count(group.anchor) == 0) continue;
      const memhost::Cell* now = sheet.CellAt(group.anchor);
      if (now != nullptr && now->formula == group.formula) continue;
      // The group's first cell no longer holds the formula: its other cells stand alone.
      for (std::int32_t col = group.area.firstColumn; col <= group.area.lastColumn; ++col) {
        sheet.ForEachInColumn(
            col, group.area.firstRow, group.area.lastRow,
            [&](std::int32_t row, const memhost::Cell& cell) {
              if (CellPos{row, col} == group.anchor || !cell.HasFormula()) return;
              changed_.push_back(
                  {row, col, group.array ? Regenerate::ValueOnly : Regenerate::OwnFormula});
            });
      }
    }
    std::stable_sort(changed_.begin(), changed_.end(),
                     [](const ChangedCell& a, const ChangedCell& b) {
                       return a.row != b.row ? a.row < b.row : a.column < b.column;
                     });
    size_t kept = 0;
    for (size_t i = 0; i < changed_.size(); ++i) {
      bool lastOfCell = i + 1 == changed_.size() || changed_[i + 1].row != changed_[i].row ||
                        changed_[i + 1].column != changed_[i].column;
      if (lastOfCell) changed_[kept++] = changed_[i];
    }
    changed_.resize(kept);
    for (std::uint32_t i = 0; i < changed_.size(); ++i) {
      if (rows_.empty() || rows_.back().row != changed_[i].row)
        rows_.push_back({changed_[i].row, i, i});
      rows_.back().end = i + 1;
    }
    if (sheet.changes().hiddenRows || ctx_.everything) {
      hiddenChanged_ = true;
      hidden_ = sheet.HiddenRows();
      hiddenTaken_.assign(hidden_.size(), false);
    }
  }

  // Writes the sheet data element (whose start tag is `data`, positions in the part): runs of
  // untouched rows are copied from the original as they are, changed rows written anew.
  FileResult<void> SheetData(SheetWalk& walk, const ElementSpan& data, PartText& part) {
    std::string& out = part.NewText();
    std::string_view tag = walk.head().substr(data.begin, data.tagEnd - data.begin);
    std::string name(data.name);  // the window it points into moves on with the rows
    if (data.selfClosing) {
      out.append(tag.substr(0, tag.size() - 2));
      out += '>';
    } else {
      out += tag;
    }
    std::int32_t row = 0;
    size_t copied = data.tagEnd;  // original bytes before this are already in the part
    KX_TRY(walk.ForEachBatch([&](std::string_view text, size_t base,
                                 const std::vector<ElementSpan>& children) -> FileResult<void> {
      xml_ = text;
      for (const ElementSpan& span : children) {
        if (LocalName(span.name) != "row") continue;
        std::string_view rowTag = span.StartTag(xml_);
        auto number = RowNumber(rowTag);
        row = number ? *number : row + 1;
        bool hiddenBefore = false, hiddenAfter = false;
        if (hiddenChanged_) {
          hiddenBefore = Truthy(RawAttribute(rowTag, "hidden"));
          hiddenAfter = ctx_.sheet->RowHidden(row);
          TakeHidden(row);
        }
        ChangedRow* changed = FindRow(row);
        bool rewrite = !number || changed != nullptr || hiddenBefore != hiddenAfter;
        bool insertBefore = NextPendingRow() < row;
        // Untouched rows are copied later, with the whole stretch of original bytes they are in.
        if (!rewrite && !insertBefore) continue;
        part.Copy(copied, base + span.begin);
        copied = base + span.begin;
        NewRowsBefore(row, out);
        if (rewrite) {
          if (!hiddenChanged_) hiddenAfter = Truthy(RawAttribute(rowTag, "hidden"));
          KX_TRY(RewriteRow(span, row, hiddenAfter, changed, out));
          copied = base + span.end;
        }
      }
      return {};
    }));
    if (!data.selfClosing) part.Copy(copied, walk.rowsEnd());
    NewRowsBefore(memhost::kMaxRows + 1, out);
    out += "</";
    if (data.selfClosing) {
      out += p_;
      out += "sheetData";
    } else {
      out += name;
    }
    out += '>';
    return {};
  }

  bool formulaChanged() const { return formulaChanged_; }

 private:
  // The changed cells of a row, or nullptr. Rows are mostly asked for in ascending order, so the
  // search starts where the last one ended.
  ChangedRow* FindRow(std::int32_t row) {
    size_t i = hint_;
    if (i > rows_.size() || (i > 0 && rows_[i - 1].row >= row)) i = 0;
    for (int step = 0; step < 4 && i < rows_.size() && rows_[i].row < row; ++step) ++i;
    if (i < rows_.size() && rows_[i].row < row) {
      i = static_cast<size_t>(
          std::lower_bound(rows_.begin() + static_cast<std::ptrdiff_t>(i), rows_.end(), row,
                           [](const ChangedRow& r, std::int32_t n) { return r.row < n; }) -
          rows_.begin());
    }
    hint_ = i;
    return i < rows_.size() && rows_[i].row == row ? &rows_[i] : nullptr;
  }

  // Marks a row's new hidden flag as written; false when it was not waiting.
  bool TakeHidden(std::int32_t row) {
    auto it = std::lower_bound(hidden_.begin(), hidden_.end(), row);
    if (it == hidden_.end() || *it != row) return false;
    size_t i = static_cast<size_t>(it - hidden_.begin());
    if (hiddenTaken_[i]) return false;
    hiddenTaken_[i] = true;
    return true;
  }

  // The lowest row still waiting to be written: one with changed cells or a new hidden flag.
  std::int32_t NextPendingRow() {
    while (cursor_ < rows_.size() && rows_[cursor_].done) ++cursor_;
    std::int32_t next = cursor_ < rows_.size() ? rows_[cursor_].row : memhost::kMaxRows + 1;
    while (hiddenFirst_ < hidden_.size() && hiddenTaken_[hiddenFirst_]) ++hiddenFirst_;
    if (hiddenFirst_ < hidden_.size()) next = std::min(next, hidden_[hiddenFirst_]);
    return next;
  }

  // Writes the rows the file does not have yet, below `limit`.
  void NewRowsBefore(std::int32_t limit, std::string& out) {
    while (true) {
      std::int32_t next = NextPendingRow();
      if (next >= limit) return;
      bool hidden = TakeHidden(next);
      content_.clear();
      if (ChangedRow* changed = FindRow(next)) {
        for (size_t i = changed->first; i < changed->end; ++i)
          WriteCell(CellPos{next, changed_[i].column}, {}, changed_[i].how, content_);
        changed->done = true;
      }
      if (content_.empty() && !hidden) continue;
      out += '<';
      out += p_;
      out += "row r=\"";
      AppendNumber(out, next);
      out += '"';
      if (hidden) out += " hidden=\"1\"";
      if (content_.empty()) {
        out += "/>";
      } else {
        out += '>';
        out += content_;
        out += "</";
        out += p_;
        out += "row>";
      }
    }
  }

  FileResult<void> RewriteRow(const ElementSpan& span, std::int32_t row, bool hidden,
                              ChangedRow* changed, std::string& out) {
    std::string& tag = tag_;  // kept from row to row, with its room
    tag.assign(span.StartTag(xml_));
    if (!RawAttribute(tag, "r")) tag = SetAttribute(tag, "r", std::to_string(row));
    if (hidden != Truthy(RawAttribute(tag, "hidden"))) {
      if (hidden)
        tag = SetAttribute(tag, "hidden", "1");
      else
        EraseAttribute(tag, "hidden");
    }
    // The row's changed cells in column order, each taken once it is written.
    pending_.clear();
    if (changed != nullptr) {
      changed->done = true;
      for (size_t i = changed->first; i < changed->end; ++i) pending_.push_back({changed_[i]});
      EraseAttribute(tag, "spans");  // a hint that added cells could make wrong
    }
    size_t left = pending_.size(), first = 0;
    auto take = [&](PendingCell& p) {
      p.taken = true;
      --left;
    };
    content_.clear();
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
        auto it = std::lower_bound(
            pending_.begin(), pending_.end(), col,
            [](const PendingCell& p, std::int32_t n) { return p.cell.column < n; });
        PendingCell* match =
            it != pending_.end() && it->cell.column == col && !it->taken ? &*it : nullptr;
        if (explicitCol && match == nullptr && left == 0) continue;
        content_.append(xml_.substr(copied, c->begin - copied));
        for (; first < pending_.size() && pending_[first].cell.column < col; ++first) {
          if (pending_[first].taken) continue;
          WriteCell(CellPos{row, pending_[first].cell.column}, {}, pending_[first].cell.how,
                    content_);
          take(pending_[first]);
        }
        std::string_view original = xml_.substr(c->begin, c->end - c->begin);
        if (match != nullptr) {
          WriteCell(CellPos{row, col}, original, match->cell.how, content_);
          take(*match);
        } else {
          // Untouched; it gets its reference so that cells written around it cannot move it.
          ref_.clear();
          AppendRef(ref_, CellPos{row, col});
          AppendWithAttribute(content_, cellTag, "r", ref_);
          content_.append(xml_.substr(c->tagEnd, c->end - c->tagEnd));
        }
        copied = c->end;
      }
      if (malformed) return FileError{FileErrorKind::Damaged, ctx_.what + " is malformed XML"};
      content_.append(xml_.substr(copied, span.contentEnd - copied));
    }
    for (PendingCell& p : pending_) {
      if (!p.taken) WriteCell(CellPos{row, p.cell.column}, {}, p.cell.how, content_);
    }
    if (content_.empty() && span.selfClosing) {
      out += tag;
      return {};
    }
    if (span.selfClosing) {
      out.append(tag, 0, tag.size() - 2);
      out += '>';
    } else {
      out += tag;
    }
    out += content_;
    out += "</";
    out += span.name;
    out += '>';
    if (!status_.ok()) return status_;
    return {};
  }

  // The original cell's content, to tell whether only its format changed.
  std::optional<CellContent> OriginalContent(std::string_view original, std::uint64_t xf) {
    pugi::xml_document doc;
    if (!doc.load_buffer(original.data(), original.size(), kCellParse, pugi::encoding_utf8)) {
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

  // Appends the cell at `pos` as it is now; `original` is its element in the file, if any.
  void WriteCell(CellPos pos, std::string_view original, Regenerate how, std::string& out) {
    const memhost::Cell* cell = ctx_.sheet->CellAt(pos);
    bool hadFormula = !original.empty() && original.find(formulaTag_) != std::string_view::npos;
    if (cell == nullptr) {
      formulaChanged_ |= hadFormula;
      return;
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
        std::string ref;
        AppendRef(ref, pos);
        std::string tag = SetAttribute(root->StartTag(original), "r", ref);
        tag = xf == 0 ? RemoveAttribute(tag, "s") : SetAttribute(tag, "s", std::to_string(xf));
        out += tag;
        out.append(original.substr(root->tagEnd));
        return;
      }
    }
    formulaChanged_ |= hadFormula || cell->HasFormula();
    out += '<';
    out += p_;
    out += "c r=\"";
    AppendRef(out, pos);
    out += '"';
    if (xf != 0) {
      out += " s=\"";
      AppendNumber(out, xf);
      out += '"';
    }
    bool withFormula = cell->HasFormula() && how != Regenerate::ValueOnly;
    const host::Variant& v = cell->value;
    // The type attribute goes into the start tag, the formula and value after it.
    body_.clear();
    auto open = [&](std::string_view name) {
      body_ += '<';
      body_ += p_;
      body_ += name;
      body_ += '>';
    };
    auto close = [&](std::string_view name) {
      body_ += "</";
      body_ += p_;
      body_ += name;
      body_ += '>';
    };
    if (withFormula) {
      open("f");
      body_ += EscapeXml(std::string_view(cell->formula).substr(1));
      close("f");
    }
    auto value = [&](std::string_view text) {
      open("v");
      body_ += text;
      close("v");
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
        value(host::ErrorValueText(v.AsError()));
        break;
      case host::Variant::Kind::Text:
        if (withFormula) {
          out += " t=\"str\"";
          value(EscapeXml(EncodeCellText(v.AsText())));
        } else {
          out += " t=\"inlineStr\"";
          open("is");
          body_ += '<';
          body_ += p_;
          body_ += "t xml:space=\"preserve\">";
          body_ += EscapeXml(EncodeCellText(v.AsText()));
          close("t");
          close("is");
        }
        break;
    }
    if (body_.empty()) {
      out += "/>";
      return;
    }
    out += '>';
    out += body_;
    out += "</";
    out += p_;
    out += "c>";
  }

  // A changed cell of the row being rewritten.
  struct PendingCell {
    ChangedCell cell;
    bool taken = false;
  };

  std::string_view xml_;  // the batch of rows being written
  SheetWriteContext& ctx_;
  std::string p_;
  std::string formulaTag_;            // "<f", with the sheet's prefix
  std::vector<ChangedCell> changed_;  // in row and column order
  std::vector<ChangedRow> rows_;      // rows with changed cells, ascending
  size_t cursor_ = 0;                 // rows_ before this are written
  size_t hint_ = 0;                   // where FindRow last stopped
  bool hiddenChanged_ = false;
  std::vector<std::int32_t> hidden_;  // rows hidden now, ascending, when that changed
  std::vector<bool> hiddenTaken_;     // ...and whether each has been written
  size_t hiddenFirst_ = 0;            // hidden_ before this are written
  std::vector<PendingCell> pending_;
  std::string content_, body_;  // reused for each row and cell
  std::string tag_, ref_;       // a rewritten row's start tag, a cell reference
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

FileResult<PartText> RewriteSheet(std::string xml, SheetWriteContext& ctx) {
  return RewriteSheet(TextSource(std::move(xml)), ctx);
}

FileResult<PartText> RewriteSheet(std::shared_ptr<PartSource> original, SheetWriteContext& ctx) {
  SheetWalk walk(KX_TRY(original->Open()), ctx.what, "sheetData", ctx.windowBytes);
  KX_TRY(walk.ReadHead());
  if (!walk.root()) return FileError{FileErrorKind::Damaged, ctx.what + " is malformed XML"};
  if (!walk.sheetData()) return FileError{FileErrorKind::Damaged, ctx.what + " has no cell data"};
  const ElementSpan& root = *walk.root();
  const ElementSpan data = *walk.sheetData();
  std::string prefix(root.name.substr(0, root.name.size() - LocalName(root.name).size()));
  PartText part(std::move(original));

  // The edits, in the order of the text: the dimension, the rows, the validation list. The
  // first two are made as the part is read; the last needs the text after the rows.
  const memhost::Sheet& sheet = *ctx.sheet;
  size_t copied = 0;  // in the part
  if (!sheet.changes().cells.empty() || sheet.changes().hiddenRows || ctx.everything) {
    if (auto dim = FindChild(walk.head(), root.tagEnd, data.begin, "dimension")) {
      auto used = sheet.UsedArea();
      std::string ref = used ? memhost::FormatAreaRelative(*used) : "A1";
      part.Copy(copied, dim->begin);
      part.NewText() += SetAttribute(dim->StartTag(walk.head()), "ref", ref);
      copied = dim->end;
    }
    part.Copy(copied, data.begin);
    Writer writer(ctx, prefix);
    writer.Plan();
    KX_TRY(writer.SheetData(walk, data, part));
    ctx.formulaChanged |= writer.formulaChanged();
    copied = SIZE_MAX;  // set below, past the data element's end tag
  }
  SheetSkeleton skeleton = KX_TRY(walk.Finish());
  std::string_view xml = skeleton.text;
  auto sroot = RootElement(xml);
  auto sdata = sroot ? FindChild(xml, sroot->tagEnd, sroot->contentEnd, "sheetData") : std::nullopt;
  if (!sdata) return FileError{FileErrorKind::Damaged, ctx.what + " is malformed XML"};
  if (copied == SIZE_MAX) copied = skeleton.InPart(sdata->end);
  if (sheet.changes().validations || (ctx.everything && !sheet.validations().empty())) {
    auto existing = FindChild(xml, sdata->end, sroot->contentEnd, "dataValidations");
    std::string list = ValidationsXml(sheet.validations(), *ctx.source, prefix);
    if (existing) {
      part.Copy(copied, skeleton.InPart(existing->begin));
      part.NewText() += list;
      copied = skeleton.InPart(existing->end);
    } else if (!list.empty()) {
      size_t at = sroot->contentEnd;
      for (std::string_view follower : kAfterValidations) {
        if (auto f = FindChild(xml, sdata->end, sroot->contentEnd, follower)) {
          at = std::min(at, f->begin);
        }
      }
      part.Copy(copied, skeleton.InPart(at));
      part.NewText() += list;
      copied = skeleton.InPart(at);
    }
  }
  part.Copy(copied, skeleton.InPart(xml.size()));
  return part;
}

}  // namespace kx::files
