// wholepath_bench: each command as the user of the Windows add-in meets it, timed from the click
// that starts the run ("Yes", or OK in the colour chooser) to the end of the run. Two roads, on
// the same column and with the same windows drawn by Windows:
//   module  the stand-in host's ribbon button loads Kestrix.dll through COM; every host call
//           crosses IDispatch, as it does in the spreadsheet;
//   direct  the add-in linked into this program runs on memhost with the Win32 driver.
// The difference is the COM boundary's cost; "direct" against bench/EnginesBench (no windows) is
// the cost of the windows.
//
//   scripts/wine-run.sh build/windows/bench/windows/wholepath_bench.exe [rows] [repeats] [command]
//
// The column is texts of which about half repeat an earlier one (bench/EnginesBench's "texts");
// the list command gets a second column holding every fourth of them. Prints the median of the
// repeats per road and command, in seconds and in microseconds a row. A run that ends in a result
// window is seen to end at the user's next look, up to 20 ms late.

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "addin/Registration.h"
#include "com/Text.h"
#include "memhost/model/Sheet.h"
#include "memhost/objects/Application.h"
#include "tests/windows/module/InstalledModule.h"
#include "tests/windows/wholepath/RealWindows.h"
#include "tests/windows/win32ui/User.h"
#include "ui/win32/Win32Driver.h"

namespace kx::testing {
namespace {

using Clock = std::chrono::steady_clock;

struct Command {
  const char* name;
  const char* ribbonId;
  bool chooser;     // asks for a colour before it runs
  bool result;      // ends in a result window
  int columns;
};

constexpr Command kCommands[] = {
    {"remove-duplicates", "rDK", false, false, 1}, {"remove-all-duplicates", "rDA", false, false, 1},
    {"remove-unique", "rUA", false, false, 1},     {"remove-list-entries", "rLE", false, false, 2},
    {"color-duplicates", "cDR", true, true, 1},    {"color-unique", "cUR", true, true, 1},
    {"count-duplicates", "ctDR", false, true, 1},  {"count-unique", "ctUR", false, true, 1},
};

std::uint64_t Next(std::uint64_t& seed) {
  seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
  return seed >> 33;
}

void Fill(memhost::Application& app, long rows, int columns) {
  auto& sheet = *app.ActiveBook()->sheets[0];
  std::uint64_t seed = 12345;
  for (long row = 1; row <= rows; ++row) {
    long value = row;
    if (row > 1 && Next(seed) % 2 == 0) value = static_cast<long>(Next(seed) % (row - 1)) + 1;
    const std::string text = "Customer " + std::to_string(value * 7919 % 1000003);
    sheet.LoadCell({static_cast<std::int32_t>(row), 1}, memhost::Cell{host::Variant(text)});
    if (columns == 2 && row % 4 == 0) {
      sheet.LoadCell({static_cast<std::int32_t>(row / 4), 2}, memhost::Cell{host::Variant(text)});
    }
  }
  (void)app.SelectAddress(columns == 1 ? "A1:A" + std::to_string(rows) : "A1:B" + std::to_string(rows));
}

// The user: answers Yes (and picks a colour, then OK), notes when the bar's window goes, and
// closes the result.
struct Timing {
  std::optional<Clock::time_point> started;
  std::optional<Clock::time_point> ended;
};

void PlayUser(User& user, const Command& command, Timing& timing) {
  user.When("answer Yes", [] { return Reachable(Showing(L"Yes").second); }, [&timing] {
    timing.started = Clock::now();
    Click(Showing(L"Yes").second);
  });
  if (command.chooser) {
    user.When("pick a colour", [] { return Reachable(Showing(L"CANCEL").second); }, [] {
      for (const Found& child : Children(Showing(L"CANCEL").first)) {
        LONG_PTR style = ::GetWindowLongPtrW(child.window, GWL_STYLE);
        if (child.type == L"Static" && child.text.empty() && (style & SS_NOTIFY)) {
          Click(child.window);
          break;
        }
      }
    });
    user.When("press OK", [] { return Reachable(Showing(L"CANCEL").second); }, [&timing] {
      for (const Found& child : Children(Showing(L"CANCEL").first)) {
        if (child.text == L"OK") {
          timing.started = Clock::now();
          Click(child.window);
        }
      }
    });
  }
  if (command.result) {
    user.When("close the result", [] { return Reachable(Showing(L"Found in Selection").second); }, [&timing] {
      timing.ended = Clock::now();
      for (const Found& child : Children(Showing(L"Found in Selection").first)) {
        if (child.type == L"Button") Click(child.window);
      }
    });
  }
}

// One run of a command on a road; seconds from the start click to the end of the run, or a
// negative number when the run did not go as the user expects.
double RunOnce(bool throughModule, const Command& command, long rows) {
  RibbonHostWindow host;
  // Through the module, Kestrix.dll draws with a driver of its own.
  std::optional<ui::Win32Driver> screen;
  std::shared_ptr<memhost::Application> app;
  if (throughModule) {
    app = StartRibbonHost();
    if (!app) return -1;
  } else {
    screen.emplace([&host] { return host.window; });
    app = std::make_shared<memhost::Application>("16.0");
    app->AddBook();
    app->RegisterAddIn(addin::KestrixRegistration(*screen, com::WideToUtf8(ProgramFolder())));
    if (!app->Start().ok()) return -1;
  }
  Fill(*app, rows, command.columns);
  Timing timing;
  double seconds = -1;
  {
    User user;
    PlayUser(user, command, timing);
    auto pressed = app->PressRibbonButton("Kestrix.Connect", command.ribbonId);
    const Clock::time_point returned = Clock::now();
    if (!timing.ended || *timing.ended > returned) timing.ended = returned;
    if (pressed.ok() && user.Pending().empty() && timing.started) {
      seconds = std::chrono::duration<double>(*timing.ended - *timing.started).count();
    }
  }
  app->Shutdown();
  return seconds;
}

}  // namespace
}  // namespace kx::testing

int main(int argc, char** argv) {
  using namespace kx::testing;
  const long rows = argc > 1 ? std::atol(argv[1]) : 100000;
  const int repeats = argc > 2 ? std::atoi(argv[2]) : 3;
  const char* only = argc > 3 ? argv[3] : nullptr;
  if (rows < 1 || repeats < 1) {
    std::fprintf(stderr, "usage: wholepath_bench [rows] [repeats] [command]\n");
    return 2;
  }
  InstalledModule module;
  if (module.Register() != S_OK) {
    std::fprintf(stderr, "wholepath_bench: the module did not register\n");
    return 1;
  }
  int failed = 0;
  std::printf("%-8s %-22s %10s %10s   (%ld rows, median of %d)\n", "road", "command", "seconds", "us/row", rows,
              repeats);
  for (bool throughModule : {true, false}) {
    for (const Command& command : kCommands) {
      if (only != nullptr && std::string(only) != command.name) continue;
      std::vector<double> times;
      for (int i = 0; i < repeats; ++i) times.push_back(RunOnce(throughModule, command, rows));
      std::sort(times.begin(), times.end());
      const double median = times[times.size() / 2];
      if (times.front() < 0) {
        ++failed;
        std::printf("%-8s %-22s %10s\n", throughModule ? "module" : "direct", command.name, "failed");
        continue;
      }
      std::printf("%-8s %-22s %10.3f %10.2f\n", throughModule ? "module" : "direct", command.name, median,
                  median * 1e6 / static_cast<double>(rows));
      std::fflush(stdout);
    }
  }
  module.Unregister();
  return failed == 0 ? 0 : 1;
}
