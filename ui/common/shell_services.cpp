#include "shell_services.h"

#include <cstdio>

#include <QCoreApplication>
#include <QFileDialog>
#include <QGuiApplication>

#include "platform.h"
#include "qt_text.h"
#include "settings.h"
#include "string_table.h"

namespace {

QMessageBox::StandardButton AnswerHeadless(const QString& text, QMessageBox::StandardButtons buttons)
{
    std::fprintf(stderr, "%s: %s\n", qPrintable(QCoreApplication::applicationName()), qPrintable(text));
    return buttons.testFlag(QMessageBox::No) ? QMessageBox::No : QMessageBox::Ok;
}

QMessageBox::StandardButton RealMessageBox(QWidget* parent, const QString& text, QMessageBox::StandardButtons buttons,
                                           QMessageBox::StandardButton defaultButton)
{
    if (IsHeadless())
        return AnswerHeadless(text, buttons);
    return static_cast<QMessageBox::StandardButton>(MakeMessageBox(parent, text, buttons, defaultButton)->exec());
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

QMessageBox::StandardButton ShowMessage(QWidget* parent, const QString& text, QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton defaultButton)
{
    return ShellServices().messageBox(parent, text, buttons, defaultButton);
}

QMessageBox::StandardButton ShowMessage(QWidget* parent, std::string_view text, QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton defaultButton)
{
    return ShowMessage(parent, ToQString(std::string(text)), buttons, defaultButton);
}

// The title is the program's name as the user knows it, not the lower-case
// name of the executable.
std::unique_ptr<QMessageBox> MakeMessageBox(QWidget* parent, const QString& text, QMessageBox::StandardButtons buttons,
                                            QMessageBox::StandardButton defaultButton)
{
    auto box = std::make_unique<QMessageBox>(QMessageBox::NoIcon, ToQString(std::string(LoadStringText(IDS_APP_TITLE))),
                                             text, buttons, parent);
    if (defaultButton != QMessageBox::NoButton)
        box->setDefaultButton(defaultButton);
    if (buttons.testFlag(QMessageBox::No))
        box->setEscapeButton(QMessageBox::No);
    return box;
}

bool IsHeadless() { return QGuiApplication::platformName() == "offscreen"; }
