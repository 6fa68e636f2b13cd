// The Windows test program's start: COM in a single-threaded apartment, as the host runs its
// add-ins, and the screen the add-in's windows go to.

#include <gtest/gtest.h>
#include <objbase.h>

#include "tests/windows/module/TestScreen.h"

namespace {

class ComApartment : public ::testing::Environment {
 public:
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))); }
  void TearDown() override { ::CoUninitialize(); }
};

}  // namespace

// The module asks the program that loaded it for this: the add-in's windows then go to the
// screen the running test set up, not to Windows.
extern "C" __declspec(dllexport) kx::ui::Driver* KestrixTestDriver() {
  return &kx::testing::TestScreen();
}

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new ComApartment);
  return RUN_ALL_TESTS();
}
