#include "widget_fixture.h"

#include <QApplication>
#include <QCoreApplication>
#include <QTimer>

#include "event_store.h"
#include "fresh_profile.h"
#include "settings.h"
#include "shell_services.h"

namespace {

class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "app_tests";
        static char* argv[] = {name, nullptr};
        m_app = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override { m_app.reset(); }

private:
    std::unique_ptr<QApplication> m_app;
};

[[maybe_unused]] const auto* g_QtEnvironment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace

void WidgetTest::SetUp()
{
    m_home = std::make_unique<QTemporaryDir>();
    UseFreshProfile(m_home->path());
    // A Tellvane of the user's may be listening on the real endpoint.
    qputenv("TELLVANE_ENDPOINT", "tellvane-test-" + QByteArray::number(QCoreApplication::applicationPid()));
    ResetSettings();
    ResetStore();
    ShellServices().messageBox = [this](QWidget*, const QString& text, QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton defaultButton) {
        m_boxes << text;
        m_defaultButtons.push_back(defaultButton);
        if (!m_answers.empty()) {
            const auto answer = m_answers.front();
            m_answers.pop_front();
            return answer;
        }
        return buttons.testFlag(QMessageBox::No) ? QMessageBox::No : QMessageBox::Ok;
    };
    ShellServices().beep = [this] { ++m_beeps; };
    // The tests tick the timers themselves.
    ShellServices().timerPeriods = {1 << 30, 1 << 30, 1 << 30};
}

void WidgetTest::TearDown()
{
    ResetShellServices();
    m_home.reset();
}

QString WidgetTest::SettingsFile() const { return m_home->path() + "/Zentrovo/Tellvane.conf"; }

void WhenModal(std::function<void(QWidget*)> action)
{
    QTimer::singleShot(0, [action] {
        if (QWidget* modal = QApplication::activeModalWidget())
            action(modal);
        else
            WhenModal(action);
    });
}

std::string EventText(int ttime, const std::string& desc, int type)
{
    return "8," + std::to_string(type) + "," + std::to_string(ttime) + ",Anna," + desc
           + ",Site 1,Door 12,1,12,7,3,0,4711,0,Key 4711,5,0,1,0,0,0,235";
}
