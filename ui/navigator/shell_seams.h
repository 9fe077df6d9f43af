// The few things the windows do to the outside world that tests replace:
// modal message boxes, the sounds and the timer periods.
#pragma once

#include <functional>
#include <string_view>

#include <QMessageBox>

#include "tones.h"

class QWidget;

// Shows text modally with the given buttons; returns the button chosen.
using MessageBoxFn = std::function<QMessageBox::StandardButton(QWidget* parent, const QString& text,
                                                               QMessageBox::StandardButtons buttons)>;
extern MessageBoxFn g_MessageBox;

// The new-message beep, and the longer sounds of warnings and alarms. Both
// return at once; the sound plays on a thread of its own.
extern std::function<void()> g_Beep;
extern std::function<void(const CToneSequence&)> g_PlayTones;

// Periods of the navigator's three timers, in milliseconds.
struct CTimerPeriods {
    int refresh = 5000;
    int save = 300000;
    int drain = 500;
    int alarmRepeat = 0;  // 0: the interval the user chose
};
extern CTimerPeriods g_TimerPeriods;

// A message box with the program's name as its title and no icon.
QMessageBox::StandardButton ShowMessage(QWidget* parent, std::string_view text,
                                          QMessageBox::StandardButtons buttons = QMessageBox::Ok);

// Whether the program runs without a screen (the offscreen platform).
bool IsHeadless();

// Puts the seams back to the real message box, sounds and periods.
void ResetShellSeams();
