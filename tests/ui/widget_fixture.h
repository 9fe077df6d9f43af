// A fresh store and settings folder for each widget test, and a way to work
// a modal dialog that a handler is about to open.
#pragma once

#include <QApplication>
#include <QCoreApplication>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "event_store.h"
#include "fresh_profile.h"
#include "shell_services.h"
#include "settings.h"

class CWidgetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        m_dir = std::filesystem::temp_directory_path() / "tellvane-monitor-ui" / std::to_string(QCoreApplication::applicationPid()) / test;
        std::filesystem::remove_all(m_dir);
        std::filesystem::create_directories(m_dir);
        UseFreshProfile(QString::fromStdString(m_dir.string()));
        ResetSettings();
        ResetStore();
        ShellServices().messageBox = [this](QWidget*, const QString& text, QMessageBox::StandardButtons, QMessageBox::StandardButton) {
            m_messages << text;
            return QMessageBox::Ok;
        };
        ShellServices().choosePath = [](QWidget*, const CSaveAsRequest&) { return QString(); };
    }

    void TearDown() override
    {
        ResetShellServices();
        std::filesystem::remove_all(m_dir.parent_path());
    }

    // A version-8 event text; ttime in seconds (dates in UTC under the tests' TZ).
    static void Add(int ttime, const std::string& desc, int level = 0, const std::string& lockName = "Door 1",
                    int lid = 12)
    {
        const std::string text = "8,1," + std::to_string(ttime) + ",n," + desc + ",s," + lockName + ",1," +
                                 std::to_string(lid) + ",7,3," + std::to_string(level) + ",4711,0,k,5,0,0,0,0,0,235";
        ASSERT_TRUE(AddMessage(text));
    }

    // Runs action on the modal dialog that the next call opens.
    template <typename Dialog>
    static void WhenModal(std::function<void(Dialog*)> action)
    {
        QTimer::singleShot(0, [action] {
            auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            action(dialog);
        });
    }

    std::filesystem::path m_dir;
    QStringList m_messages;
};
