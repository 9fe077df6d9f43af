// What every widget test needs: an offscreen QApplication, a fresh home with
// its own settings, data and lock folders, an empty store, and the message
// box and beep seams replaced by recorders.
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <vector>

#include <QMessageBox>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

class WidgetTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The next answers a message box gives; when none is queued, OK or No.
    std::deque<QMessageBox::StandardButton> m_answers;
    QStringList m_boxes;  // texts of the boxes shown, in order
    std::vector<QMessageBox::StandardButton> m_defaultButtons;  // and their default buttons
    int m_beeps = 0;
    std::unique_ptr<QTemporaryDir> m_home;

    QString SettingsFile() const;
};

// Runs action on the modal widget as soon as one is open (from inside exec).
void WhenModal(std::function<void(QWidget*)> action);

// One version-8 event text at event time ttime (distinct per call).
std::string EventText(int ttime, const std::string& desc = "Door opened", int type = 0);
