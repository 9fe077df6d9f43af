#include "shell_services.h"

#include <cstdio>

#include <QCoreApplication>
#include <QFileDialog>
#include <QGuiApplication>

#include "platform.h"
#include "qt_text.h"
#include "settings.h"

namespace {

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

// Overwriting an existing file is confirmed by the dialog itself (Qt's default).
QString RunSaveAsDialog(QWidget* parent, const CSaveAsRequest& request)
{
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(request.defaultSuffix);
    dialog.setNameFilters(request.nameFilters);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

void PlayInBackground(const CToneSequence& tones) { SoundPlayer().Play(tones); }

CShellServices RealShellServices()
{
    return {RealMessageBox,
            RunSaveAsDialog,
            [] { PlayInBackground({kBeepTone}); },
            PlayInBackground,
            CTimerPeriods(),
            {WriteSettingDword, WriteSettingString}};
}

}  // namespace

CShellServices& ShellServices()
{
    static CShellServices services = RealShellServices();
    return services;
}

void ResetShellServices() { ShellServices() = RealShellServices(); }

QMessageBox::StandardButton ShowMessage(QWidget* parent, const QString& text, QMessageBox::StandardButtons buttons)
{
    return ShellServices().messageBox(parent, text, buttons);
}

QMessageBox::StandardButton ShowMessage(QWidget* parent, std::string_view text, QMessageBox::StandardButtons buttons)
{
    return ShowMessage(parent, ToQString(std::string(text)), buttons);
}

bool IsHeadless() { return QGuiApplication::platformName() == "offscreen"; }
