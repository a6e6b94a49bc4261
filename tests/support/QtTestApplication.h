#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <utility>

// The one Qt application object (QCoreApplication or QApplication) of a test
// program whose objects report through an event loop, made before the first
// test. `prepare` runs once it exists, e.g. to set up the media libraries.
//
//   ::testing::AddGlobalTestEnvironment(new QtTestApplication<QCoreApplication>(InitMediaLibraries));
template <class Application>
class QtTestApplication : public ::testing::Environment {
 public:
  explicit QtTestApplication(std::function<void()> prepare = {}) : prepare_(std::move(prepare)) {}

  void SetUp() override {
    application_ = std::make_unique<Application>(argc_, argv_);
    if (prepare_) prepare_();
  }
  void TearDown() override { application_.reset(); }

 private:
  std::function<void()> prepare_;
  int argc_ = 1;
  char name_[12] = "tolvar_test";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<Application> application_;
};
