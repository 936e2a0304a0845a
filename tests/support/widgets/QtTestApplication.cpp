// One QApplication for a whole widget test run, created before the first test unless one
// exists already.
#include <gtest/gtest.h>

#include <QApplication>

#include <memory>

namespace {

class QtApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (QCoreApplication::instance() == nullptr)
            App = std::make_unique<QApplication>(Argc, Argv);
    }
    void TearDown() override { App.reset(); }

private:
    int Argc = 1;
    char Name[16] = "lumivox_tests";
    char* Argv[2] = {Name, nullptr};
    std::unique_ptr<QApplication> App;
};

const ::testing::Environment* const Environment =
    ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

} // namespace
