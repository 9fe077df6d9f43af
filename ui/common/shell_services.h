// What the windows do to the outside world that tests stand in for: modal
// message boxes, the save-as dialog, the sounds, the timer periods and the
// writing of confirmed settings. One set is in use at a time; the program
// uses the real one, and a test replaces members and puts the real set back
// with ResetShellServices. GUI thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include <QMessageBox>
#include <QString>
#include <QStringList>

#include "timer_periods.h"
#include "tones.h"

class QWidget;

// What a save-as dialog offers: the file types as Qt name filters, and the
// ending a name without one gets.
struct CSaveAsRequest {
    QStringList nameFilters;
    QString defaultSuffix;
};

// Where confirmed settings are written.
struct CSettingsWriter {
    std::function<bool(const std::string&, int32_t)> writeDword;
    std::function<bool(const std::string&, const std::string&)> writeString;
};

struct CShellServices {
    // Shows text modally with the given buttons; returns the button chosen.
    // Enter chooses defaultButton (NoButton: the box's own choice).
    std::function<QMessageBox::StandardButton(QWidget* parent, const QString& text,
                                              QMessageBox::StandardButtons buttons,
                                              QMessageBox::StandardButton defaultButton)>
        messageBox;
    // The save-as dialog of an export: the chosen path, empty when cancelled.
    std::function<QString(QWidget* parent, const CSaveAsRequest& request)> choosePath;
    // The new-message beep, and the longer sounds of warnings and alarms.
    // Both return at once; the sound plays on a thread of its own.
    std::function<void()> beep;
    std::function<void(const CToneSequence&)> playTones;
    CTimerPeriods timerPeriods;
    CSettingsWriter settingsWriter;
};

// The set in use.
CShellServices& ShellServices();

// Puts the real message box, dialog, sounds, periods and settings file back.
void ResetShellServices();

// A message box with the program's name as its title and no icon. Without
// a screen nobody can answer it: its text goes to standard error and the
// safe answer is taken (OK, or No to a question).
QMessageBox::StandardButton ShowMessage(QWidget* parent, const QString& text,
                                        QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);
QMessageBox::StandardButton ShowMessage(QWidget* parent, std::string_view text,
                                        QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

// The box that ShowMessage runs where there is a screen. Escape answers No
// to a question.
std::unique_ptr<QMessageBox> MakeMessageBox(QWidget* parent, const QString& text, QMessageBox::StandardButtons buttons,
                                            QMessageBox::StandardButton defaultButton);

// Whether the program runs without a screen (the offscreen platform).
bool IsHeadless();
