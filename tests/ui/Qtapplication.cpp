#include <gtest/gtest.h>

#include <QApplication>

#include <memory>

namespace {

// Widgets need one QApplication for the whole run. It is made only when tests run, not when
// the test list is read at build time, where no platform is chosen.
class QtApplication : public ::testing::Environment {
  public:
    void SetUp() override { app_ = std::make_unique<QApplication>(argc_, argv_); }
    void TearDown() override { app_.reset(); }

  private:
    int argc_ = 1;
    char name_[16] = "widgets_tests";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QApplication> app_;
};

// GoogleTest takes ownership of the environment.
[[maybe_unused]] ::testing::Environment* const registered =
    ::testing::AddGlobalTestEnvironment(new QtApplication);

}  // namespace
