// The real tellvane program run as a user would: its own temporary HOME and
// XDG folders, headless, stopped with a signal.
#pragma once

#include <memory>
#include <string>

#include <QProcess>
#include <QTemporaryDir>

class CProgramHome {
public:
    CProgramHome();
    QString Path() const { return m_dir.path(); }
    QString DataFile() const { return m_dir.path() + "/data/Tellvane/zqtvane.dat"; }
    std::string DataFolder() const { return (m_dir.path() + "/data/Tellvane").toStdString(); }
    QProcessEnvironment Environment() const;
    // Writes the settings file: the [Settings] group with lines in it.
    bool UseSettings(const QByteArray& lines) const;

private:
    QTemporaryDir m_dir;
};

class CProgramRun {
public:
    explicit CProgramRun(const CProgramHome& home);
    // program: tellvane itself, or one that ends by executing it in place
    // (so that signals reach it).
    explicit CProgramRun(const QProcessEnvironment& environment, const QStringList& arguments = {},
                         const QString& program = TELLVANE_PATH);
    ~CProgramRun();

    // Waits until the program's event endpoint answers; false after timeoutMs.
    bool WaitListening(int timeoutMs = 10000);
    // Sends the signal and waits for the program to end; its exit code, or
    // -1 when it did not end in time.
    int Stop(int signal, int timeoutMs = 10000);
    // Waits for a program that ends by itself.
    int WaitEnded(int timeoutMs = 10000);
    QString Stderr();

    QProcess m_Process;
};

// A file's bytes (a data file, a rescue copy, /proc's texts); empty when it
// cannot be read.
QByteArray ReadAll(const QString& path);

// Runs tellvane-send with the texts; its standard output.
QString SendEvents(const QStringList& texts);

// The unshare options that make a private mount namespace here: as root
// directly, otherwise as root of a user namespace of its own. Empty when
// neither works.
QStringList NamespaceOptions();
