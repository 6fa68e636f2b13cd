// The start of every Windows test program: COM in a single-threaded apartment, as the host runs
// its add-ins.
#include <gtest/gtest.h>
#include <objbase.h>

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 2;
  int result = RUN_ALL_TESTS();
  ::CoUninitialize();
  return result;
}
