// One QApplication for every widget test of the binary.
#include <QApplication>

#include <gtest/gtest.h>

namespace {

class CQtEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "monitor_widget_tests";
        static char* argv[] = {name, nullptr};
        // No window system in test runs; set here because a second variable
        // in the test's CTest environment does not reach discovered tests.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        m_app = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override { m_app.reset(); }

private:
    std::unique_ptr<QApplication> m_app;
};

[[maybe_unused]] auto* const g_environment = ::testing::AddGlobalTestEnvironment(new CQtEnvironment);

}  // namespace
