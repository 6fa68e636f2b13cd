// The add-in's per-row loops against memhost: one COUNTIF (or one Find) per row of a column.
// With the value index each row costs about the same whatever the column's length, so the
// whole loop grows linearly; compare the times per row of the three sizes.

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <memory>
#include <string>
#include <vector>

#include "host/Host.h"
#include "memhost/objects/Application.h"

namespace {

using kx::memhost::Application;
using kx::memhost::Cell;

// A column of n texts, about half of them repeating an earlier one.
void FillColumn(kx::memhost::Sheet& sheet, long n) {
  std::uint64_t seed = 12345;
  std::vector<long> values(static_cast<size_t>(n) + 1);
  for (long row = 1; row <= n; ++row) {
    seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
    long value = row * 7919 % 1000003;
    if (row > 1 && (seed >> 33) % 2 == 0) {
      value = values[static_cast<size_t>((seed >> 20) % static_cast<std::uint64_t>(row - 1)) + 1];
    }
    values[static_cast<size_t>(row)] = value;
    sheet.LoadCell({static_cast<std::int32_t>(row), 1},
                   Cell{kx::host::Variant("Customer " + std::to_string(value))});
  }
}

// A new host whose active sheet holds the column; gives the column's range.
kx::host::RangeRef FreshHost(std::unique_ptr<Application>& app, long n) {
  app.reset();
  app = std::make_unique<Application>("16.0");
  FillColumn(*app->AddBook()->sheets[0], n);
  return app->Range("A1:A" + std::to_string(n)).value();
}

// "=" and the text with the wildcard characters escaped, as the add-in builds its criteria.
std::string Criterion(const std::string& text) {
  std::string out = "=";
  for (char c : text) {
    if (c == '*' || c == '?' || c == '~') out += '~';
    out += c;
  }
  return out;
}

// Runs `body` over a fresh host for each iteration, so that building the index on first use is
// part of what is timed; making the host and its column is not.
template <class Body>
void OnFreshHosts(benchmark::State& state, Body body) {
  const long n = state.range(0);
  std::unique_ptr<Application> app;
  for (auto _ : state) {
    state.PauseTiming();
    auto column = FreshHost(app, n);
    state.ResumeTiming();
    body(*app, column, n);
  }
  state.SetItemsProcessed(state.iterations() * n);
}

void CountIfPerRow(benchmark::State& state) {
  OnFreshHosts(state, [](Application& app, const kx::host::RangeRef& column, long n) {
    auto functions = app.WorksheetFunction().value();
    double duplicates = 0;
    for (long i = n; i >= 1; --i) {
      auto value = column->Cells(i, 1).value()->Value().value();
      if (functions->CountIf(column, Criterion(value.AsText())).value() > 1) ++duplicates;
    }
    benchmark::DoNotOptimize(duplicates);
  });
}

void FindPerRow(benchmark::State& state) {
  OnFreshHosts(state, [](Application&, const kx::host::RangeRef& column, long n) {
    long found = 0;
    for (long i = n; i >= 1; --i) {
      auto cell = column->Cells(i, 1).value();
      kx::host::FindArgs args;
      args.What = cell->Value().value();
      args.After = cell;
      args.LookIn = kx::host::xl::LookInValues;
      args.LookAt = kx::host::xl::LookAtWhole;
      args.SearchOrder = kx::host::xl::SearchByRows;
      args.MatchCase = false;
      if (column->Find(args).value()) ++found;
    }
    benchmark::DoNotOptimize(found);
  });
}

// The index alone: the first COUNTIF on a fresh host builds it, the later ones of the loops
// above only read it.
void IndexBuild(benchmark::State& state) {
  OnFreshHosts(state, [](Application& app, const kx::host::RangeRef& column, long) {
    benchmark::DoNotOptimize(app.WorksheetFunction().value()->CountIf(column, "=x").value());
  });
}

// The in-place unique filter over the whole column: one pass.
void UniqueFilter(benchmark::State& state) {
  OnFreshHosts(state, [](Application&, const kx::host::RangeRef& column, long) {
    kx::host::AdvancedFilterArgs args;
    args.Unique = true;
    benchmark::DoNotOptimize(column->AdvancedFilter(args).ok());
  });
}

// Bytes in use on the heap, large blocks (served by mmap) included.
double HeapInUse() {
  struct mallinfo2 info = mallinfo2();
  return static_cast<double>(info.uordblks + info.hblkhd);
}

// Heap bytes per stored cell: the cells themselves, then the value index over their column.
void MemoryPerCell(benchmark::State& state) {
  const long n = state.range(0);
  double cellBytes = 0, indexBytes = 0;
  for (auto _ : state) {
    auto before = HeapInUse();
    std::unique_ptr<Application> app;
    auto column = FreshHost(app, n);
    auto filled = HeapInUse();
    benchmark::DoNotOptimize(app->WorksheetFunction().value()->CountIf(column, "x").value());
    auto indexed = HeapInUse();
    cellBytes = (filled - before) / static_cast<double>(n);
    indexBytes = (indexed - filled) / static_cast<double>(n);
  }
  state.counters["cell_bytes"] = cellBytes;
  state.counters["index_bytes"] = indexBytes;
}

// The per-row loops at three column lengths, to compare their times per row.
void PerRowSizes(benchmark::internal::Benchmark* b) {
  b->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->Iterations(3);
}
BENCHMARK(CountIfPerRow)->Apply(PerRowSizes);
BENCHMARK(FindPerRow)->Apply(PerRowSizes);

}  // namespace

BENCHMARK(IndexBuild)->Arg(100'000)->Arg(600'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(UniqueFilter)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(MemoryPerCell)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK_MAIN();
