#include "shell_seams.h"

#include <cstdio>

#include <QCoreApplication>
#include <QGuiApplication>

#include "platform.h"
#include "qt_text.h"

namespace {

// Without a screen nobody can answer a box: its text goes to stderr and the
// safe answer is taken (OK, or No to a question).
QMessageBox::StandardButton AnswerHeadless(const QString& text, QMessageBox::StandardButtons buttons)
{
    std::fprintf(stderr, "%s: %s\n", qPrintable(QCoreApplication::applicationName()), qPrintable(text));
    return buttons.testFlag(QMessageBox::No) ? QMessageBox::No : QMessageBox::Ok;
}

QMessageBox::StandardButton RealMessageBox(QWidget* parent, const QString& text, QMessageBox::StandardButtons buttons)
{
    if (IsHeadless())
        return AnswerHeadless(text, buttons);
    QMessageBox box(QMessageBox::NoIcon, QCoreApplication::applicationName(), text, buttons, parent);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

void PlayInBackground(const CToneSequence& tones) { SoundPlayer().Play(tones); }

void BeepInBackground() { PlayInBackground({kBeepTone}); }

}  // namespace

bool IsHeadless()
{
    return QGuiApplication::platformName() == "offscreen";
}

MessageBoxFn g_MessageBox = RealMessageBox;
std::function<void()> g_Beep = BeepInBackground;
std::function<void(const CToneSequence&)> g_PlayTones = PlayInBackground;
CTimerPeriods g_TimerPeriods;

QMessageBox::StandardButton ShowMessage(QWidget* parent, std::string_view text, QMessageBox::StandardButtons buttons)
{
    return g_MessageBox(parent, ToQString(std::string(text)), buttons);
}

void ResetShellSeams()
{
    g_MessageBox = RealMessageBox;
    g_Beep = BeepInBackground;
    g_PlayTones = PlayInBackground;
    g_TimerPeriods = CTimerPeriods();
}
