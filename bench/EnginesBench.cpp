// Every command's engine run on memhost, as the user starts it: the question, "Yes", the engine
// with its progress, the result window. Columns of 10,000, 100,000 and 1,000,000 values: texts
// of which about half repeat an earlier one, and a mixed column of numbers, numeric text, mixed
// case and blanks; and card numbers of 16 digits kept as text, which the host's count cannot
// tell apart and the add-in compares by their text; and customers' names as people type them
// (accented letters, "Last, First", e-mail addresses, 1 in 16 repeats in capitals), as
// bench/compare.py writes its workbooks. The list command gets two such lists side by side.
// Every command must grow linearly: compare the 1,000,000 figure with ten times the 100,000 one.

#include <benchmark/benchmark.h>

#include <cctype>
#include <cstdint>
#include <iterator>
#include <memory>
#include <string>

#include "memhost/objects/Application.h"
#include "runner/FrontEnds.h"
#include "ui/AddinState.h"
#include "ui/Driver.h"
#include "ui/Form.h"

namespace {

using kx::host::Variant;
using kx::memhost::Cell;

// A screen whose user answers every window at once: "Yes", OK, the first swatch.
class AnsweringDriver final : public kx::ui::Driver {
 public:
  void ShowModal(kx::ui::Form& form) override {
    const char* control = form.Name() == "frmPrgBar" ? "CommandButton1" : "Command1";
    while (form.Loaded() && form.Visible()) {
      if (form.Press(control)) break;  // refused: nothing more the user can do
    }
  }
  void ShowModeless(kx::ui::Form&) override {}
  void DoEvents() override {}
  void MsgBox(std::string_view) override {}
  void OpenUrl(std::string_view) override {}
  void BeginWindowDrag(kx::ui::Form&) override {}
};

enum class Data { Texts, Mixed, Cards, Names };

constexpr const char* kFirst[] = {
    "Anna",  "Ben",   "Clara",  "David", "Emma",  "Felix",  "Greta", "Hugo",  "Ida",   "Jonas",
    "Zoë",   "Åsa",   "Émile",  "Łukasz", "Søren", "Jürgen", "Chloé", "Ömer",  "Inès",  "José",
    "Mateo", "Sofía", "Nils",   "Astrid", "Björn", "Eva",    "Pedro", "Lucía", "Tomáš", "Zuzana"};
constexpr const char* kLast[] = {
    "Müller",  "Schmidt",  "Schneider", "Fischer",  "Weber",    "Meyer",  "Wagner",   "Becker",
    "Schulz",  "Hoffmann", "Koch",      "Richter",  "Klein",    "Wolf",   "Schröder", "Neumann",
    "Krüger",  "Lange",    "Köhler",    "König",    "Huber",    "Möller", "Günther",  "Böhm",
    "Krämer",  "Jäger",    "Kühn",      "Lefèvre",  "García",   "Martínez", "López",  "Sánchez",
    "Wiśniewski", "Dvořák", "Novák",    "Ødegaard", "Ångström", "Rossi",  "Dubois",   "Nowak"};
constexpr const char* kDomains[] = {"example.com", "example.org", "mail.example.net",
                                    "kunden.example.de"};

// Customer v's name: "First Last", "Last, First" or an e-mail address (its letters beyond
// ASCII left out), one text for each v.
std::string NameText(std::uint64_t v) {
  const std::string first = kFirst[v % std::size(kFirst)];
  const std::string last = kLast[v / std::size(kFirst) % std::size(kLast)];
  const std::uint64_t n = v / (std::size(kFirst) * std::size(kLast));
  const std::string number = n ? std::to_string(n) : "";
  switch (v / 7 % 3) {
    case 0: return first + " " + last + (n ? " " + number : "");
    case 1: return last + ", " + first + (n ? " (" + number + ")" : "");
    default: {
      std::string mail;
      for (char c : first + "." + last + number) {
        if (static_cast<unsigned char>(c) < 0x80) mail += static_cast<char>(std::tolower(c));
      }
      return mail + "@" + kDomains[v % std::size(kDomains)];
    }
  }
}

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

std::uint64_t Next(std::uint64_t& seed) {
  seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
  return seed >> 33;
}

Variant Value(Data data, long row, std::uint64_t& seed) {
  long value = row;
  const bool repeated = row > 1 && Next(seed) % 2 == 0;
  if (repeated) value = static_cast<long>(Next(seed) % (row - 1)) + 1;
  if (data == Data::Names) {
    std::string name = NameText(static_cast<std::uint64_t>(value) * 7919 % 1000003);
    // Some repeats were typed again in capitals (the accented letters stay as they were).
    if (repeated && (static_cast<std::uint64_t>(row) * 2654435761u >> 8) % 16 == 0) {
      name = Upper(std::move(name));
    }
    return Variant(std::move(name));
  }
  if (data == Data::Texts) return Variant("Customer " + std::to_string(value * 7919 % 1000003));
  if (data == Data::Cards) {
    std::string digits = std::to_string(value * 7919 % 1000000000000000LL);
    return Variant("4" + std::string(15 - digits.size(), '0') + digits);
  }
  switch (value % 5) {
    case 0: return Variant(static_cast<double>(value));
    case 1: return Variant(std::to_string(value));  // numeric text
    case 2: return Variant((value % 2 ? "Name " : "NAME ") + std::to_string(value));
    case 3: return Variant("name " + std::to_string(value));
    default: return Variant();  // blank
  }
}

struct Bench {
  AnsweringDriver screen;
  std::shared_ptr<kx::memhost::Application> app;
  std::unique_ptr<kx::ui::AddinState> state;

  Bench(long n, Data data, int columns) {
    app = std::make_shared<kx::memhost::Application>("16.0");
    auto& sheet = *app->AddBook()->sheets[0];
    std::uint64_t seed = 12345;
    for (int c = 1; c <= columns; ++c) {
      for (long row = 1; row <= n; ++row) {
        Variant v = Value(data, row, seed);
        if (!v.IsEmpty()) sheet.LoadCell({static_cast<std::int32_t>(row), c}, Cell{v});
      }
    }
    (void)app->SelectAddress(columns == 1 ? "A:A" : "A:B");
    state = std::make_unique<kx::ui::AddinState>(screen);
    state->HostApp = app;
    state->SelectedColorIndex = Variant("6");
  }
};

template <void (*Confirm)(kx::ui::AddinState&), int Columns = 1>
void Command(benchmark::State& st) {
  const long n = st.range(0);
  const Data data = static_cast<Data>(st.range(1));
  for (auto _ : st) {
    st.PauseTiming();
    Bench bench(n, data, Columns);
    st.ResumeTiming();
    Confirm(*bench.state);
    st.PauseTiming();
    bench = Bench(0, data, Columns);  // the teardown is not the command's time
    st.ResumeTiming();
  }
  st.SetItemsProcessed(st.iterations() * n);
}

void Sizes(benchmark::internal::Benchmark* b) {
  for (long data : {0, 1, 2, 3}) {
    for (long n : {10'000, 100'000, 1'000'000}) b->Args({n, data});
  }
  b->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);
}

using namespace kx::runner;
BENCHMARK(Command<ConfirmRemoveDuplicatesKeepFirst>)->Name("remove-duplicates")->Apply(Sizes);
BENCHMARK(Command<ConfirmRemoveAllDuplicates>)->Name("remove-all-duplicates")->Apply(Sizes);
BENCHMARK(Command<ConfirmRemoveAllUnique>)->Name("remove-unique")->Apply(Sizes);
BENCHMARK(Command<ConfirmCountDuplicates>)->Name("count-duplicates")->Apply(Sizes);
BENCHMARK(Command<ConfirmCountUnique>)->Name("count-unique")->Apply(Sizes);
BENCHMARK(Command<ConfirmColorDuplicateRows>)->Name("color-duplicates")->Apply(Sizes);
BENCHMARK(Command<ConfirmColorUniqueRows>)->Name("color-unique")->Apply(Sizes);
BENCHMARK(Command<ConfirmRemoveListEntries, 2>)->Name("remove-list-entries")->Apply(Sizes);

}  // namespace

BENCHMARK_MAIN();
