#include "engines/EngineRun.h"

#include <charconv>
#include <string_view>

#include <cmath>
#include <string>

#include "host/Shorthands.h"
#include "ui/AddinTexts.h"

namespace kx::engines {

namespace text = ui::text;

namespace {

// The selection's column count as the host reports it; fails for a selection that is not a
// range of cells.
host::Result<long> SelectionColumnCount(host::Application& app) {
  auto selection = KX_TRY(host::SelectedRange(app));
  auto columns = KX_TRY(selection->Columns());
  return columns->Count();
}

host::Result<bool> ColumnRuleFails(host::Application& app, ColumnRule rule) {
  long columns = KX_TRY(SelectionColumnCount(app));
  return rule == ColumnRule::AtMostOne ? columns > 1 : columns != 2;
}

host::Result<double> CountNonEmpty(host::Application& app) {
  auto selection = KX_TRY(app.Selection());
  auto function = KX_TRY(app.WorksheetFunction());
  return function->CountA(selection);
}

host::Result<host::RangeRef> WorkingRange(host::Application& app) {
  auto selection = KX_TRY(app.Selection());
  auto sheet = KX_TRY(app.ActiveSheet());
  if (!sheet) return host::Fail(host::err::ObjectNotSet, "no active sheet");
  auto used = KX_TRY(sheet->UsedRange());
  return app.Intersect(selection, used);
}

}  // namespace

long PercentOf(float value, float maximum) {
  float percent = value * 100.0f / maximum;
  return std::lrint(percent);  // the default rounding mode sends halves to the even neighbour
}

std::optional<EngineRun> BeginEngineRun(ui::AddinState& state, EngineWindow& window,
                                        host::ContinueOnFailure& onFailure, ColumnRule rule,
                                        EarlyEnd* earlyEnd) {
  auto endEarly = [&](EarlyEnd why) {
    if (earlyEnd) *earlyEnd = why;
    return std::nullopt;
  };
  if (earlyEnd) *earlyEnd = EarlyEnd::None;
  // Without the host every call fails, and a failed test shows the first message.
  if (!state.HostApp || onFailure.RunsBodyOnFailure(host::NoWorkbookOpen(*state.HostApp))) {
    state.Ui.MsgBox(text::NoWorkbook);
    window.UnloadWindow();
    return endEarly(EarlyEnd::Refused);
  }
  host::Application& app = *state.HostApp;
  // A selection that is not a range of cells has no column count: the rule counts as failed.
  if (onFailure.RunsBodyOnFailure(ColumnRuleFails(app, rule))) {
    state.Ui.MsgBox(rule == ColumnRule::AtMostOne ? text::SelectSingleColumn
                                                  : text::SelectTwoColumns);
    window.UnloadWindow();
    return endEarly(EarlyEnd::Refused);
  }

  onFailure.Do(app.SetEnableCancelKey(host::xl::CancelKeyErrorHandler));
  onFailure.Do(app.SetStatusBar(host::Variant(text::Processing)));
  onFailure.Do(app.SetScreenUpdating(false));
  onFailure.Do(app.SetCalculation(host::xl::CalculationManual));
  state.StopRequested = false;

  EngineRun run{state, window, onFailure};
  // A count the host cannot give leaves it at zero: the selection is then taken as empty.
  run.nonEmptyCount = onFailure.Do(CountNonEmpty(app)).value_or(0.0);
  if (run.nonEmptyCount == 0) {
    state.Ui.MsgBox(text::SelectionEmpty);
    EndEngineRun(run);
    return endEarly(EarlyEnd::SelectionEmpty);
  }
  window.Bar().SetMax(static_cast<float>(run.nonEmptyCount));
  run.workingRange = onFailure.Do(WorkingRange(app)).value_or(nullptr);
  return run;
}

long WorkingRowCount(EngineRun& run) {
  if (!run.workingRange) return 0;
  return run.onFailure
      .Do([&]() -> host::Result<long> {
        auto rows = KX_TRY(run.workingRange->Rows());
        return rows->Count();
      }())
      .value_or(0);
}

host::RangeRef WorkingColumn(EngineRun& run, long index) {
  if (!run.workingRange) return nullptr;
  return run.onFailure.Do(run.workingRange->Columns(index)).value_or(nullptr);
}

void ShowEngineProgress(EngineRun& run, std::int64_t stepCount) {
  run.state.Ui.DoEvents();
  ui::ProgressBar& bar = run.window.Bar();
  bar.SetValue(static_cast<float>(stepCount));
  if (bar.Max() > 0) {
    // The percentage moves a hundred times in a run of a million steps: the label is told only
    // when its text changes, and its text is made only when the number does.
    const long percent = PercentOf(bar.Value(), bar.Max());
    if (percent == run.shownPercent) return;
    run.shownPercent = percent;
    char text[24];
    auto end = std::to_chars(text, text + sizeof text - 2, percent).ptr;
    *end++ = ' ';
    *end++ = '%';
    std::string_view caption(text, static_cast<size_t>(end - text));
    auto& label = run.window.Percentage().Caption;
    if (label.Get() != caption) label = std::string(caption);
  }
}

void EndEngineRun(EngineRun& run) {
  host::Application& app = *run.state.HostApp;
  run.onFailure.Do(app.SetCalculation(host::xl::CalculationAutomatic));
  run.onFailure.Do(app.SetStatusBar(host::Variant("")));
  run.onFailure.Do(app.SetScreenUpdating(true));
  run.window.UnloadWindow();
  run.workingRange.reset();
}

}  // namespace kx::engines
