#pragma once
// One scenario run twice: with the add-in linked into this program and called directly
// (Native), and with Kestrix.dll loaded through COM by the stand-in host (Com). Both roads run
// on memhost with the same scripted user; a scenario's Outcome (cells, fills, rules, messages,
// windows, host settings, menu) must be the same, so the COM boundary changes nothing.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "memhost/objects/Application.h"
#include "ui/ScriptedDriver.h"

namespace kx::testing {

enum class Road { Native, Com };

struct Outcome {
  std::vector<std::string> cells;     // "A2 'b' fill 36 rule 7:=COUNTIF(...)"
  std::vector<std::string> seen;      // message boxes and windows, in order
  std::vector<std::string> settings;  // the host settings the add-in changes
  std::vector<std::string> menu;      // the "&Kestrix" popups' buttons
  std::vector<std::string> urls;
  friend bool operator==(const Outcome&, const Outcome&) = default;
};
void PrintTo(const Outcome& outcome, std::ostream* os);

// A started host of a version ("11.0" or "16.0") with the add-in registered on one road.
class Host {
 public:
  Host(Road road, const std::string& version);
  ~Host();

  // The cells A1:C12 of the active sheet from row 1 down, column by column.
  void Column(const std::string& letter, const std::vector<host::Variant>& values);
  void Select(const std::string& address);
  // The user presses the command's menu button (a version 11 host) or ribbon button.
  void Run(const char* tag, const char* ribbonId);
  bool Connected();
  Outcome Seen();

  ui::ScriptedDriver screen{[](const std::string& problem) { ADD_FAILURE() << problem; }};
  std::shared_ptr<memhost::Application> app;

 private:
  Road road_;
  bool menuHost_;
};

// A test suite with the module installed and registered for all its tests, as an installer
// leaves it.
class RegisteredModuleSuite : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  static void TearDownTestSuite();
};

}  // namespace kx::testing
