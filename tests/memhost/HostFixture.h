#pragma once
// A memhost with one open book, and shorthands the memhost tests share.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "host/Host.h"
#include "memhost/objects/Application.h"

namespace kx::memhost::testing {

class HostTest : public ::testing::Test {
 protected:
  explicit HostTest(std::string version = "16.0")
      : app_(std::make_shared<Application>(std::move(version))) {
    book_ = app_->AddBook();
  }

  Sheet& sheet() { return *book_->sheets[0]; }

  host::RangeRef At(const std::string& address) {
    auto range = app_->Range(address);
    EXPECT_TRUE(range.ok()) << address;
    return range.ok() ? *range : nullptr;
  }
  // Writes as the object model does (a text is read as typed input).
  void Put(const std::string& address, const host::Variant& value) {
    ASSERT_TRUE(At(address)->SetValue(value).ok()) << address;
  }
  double CountIf(const std::string& address, const host::Variant& criterion) {
    auto n = app_->WorksheetFunction().value()->CountIf(At(address), criterion);
    EXPECT_TRUE(n.ok()) << address << " " << host::DebugString(criterion);
    return n.ok() ? *n : -1;
  }
  std::string Text(const std::string& address) { return At(address)->Text().value(); }

  std::shared_ptr<Application> app_;
  std::shared_ptr<Book> book_;
};

}  // namespace kx::memhost::testing
