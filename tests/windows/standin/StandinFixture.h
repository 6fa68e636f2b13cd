#pragma once
// A memhost with one open book, served through the stand-in; every test ends with no stand-in
// object alive.

#include <gtest/gtest.h>

#include <memory>

#include "LateCalls.h"
#include "host/Range.h"
#include "memhost/objects/Application.h"
#include "standin/Standin.h"

namespace kx::standin::testing {

class StandinTest : public ::testing::Test {
 protected:
  StandinTest() : host_(std::make_shared<memhost::Application>("16.0")) {
    host_->AddBook();
    app_ = MakeApplication(host_);
  }
  void TearDown() override {
    app_.Reset();
    EXPECT_EQ(LiveObjects(), 0) << "a stand-in object was not released";
  }

  // Writes cells through the host, as a user's workbook would hold them.
  void Write(const char* address, const host::Variant& value) {
    ASSERT_TRUE(host_->Range(address).value()->SetValue(value).ok()) << address;
  }
  ComPtr<IDispatch> RangeAt(const char* address) { return Obj(app_.get(), L"Range", {Arg(address)}); }
  std::string AddressOf(IDispatch* range) { return Call(range, L"Address").Text(); }

  std::shared_ptr<memhost::Application> host_;
  ComPtr<IDispatch> app_;
};

}  // namespace kx::standin::testing
