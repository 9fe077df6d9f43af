// tellvane.exe run from the outside, as Windows runs it: a copy in a folder
// of its own (the data file and the archive are written beside the
// executable), on the test's own pipe, its window on the display. Linking
// this also gives the test program the QCoreApplication that QProcess needs.
// Everything here is called on the test's main thread.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <string>

// A pipe of the tests' own, never the one the lock software writes to.
inline constexpr char kEndpoint[] = "tellvane-e2e";

class CInstalledCopy {
public:
    CInstalledCopy();
    ~CInstalledCopy();
    QString Exe() const { return m_dir.filePath("tellvane.exe"); }
    std::string Folder() const;
    QString DataFile() const { return m_dir.filePath("zqtvane.dat"); }
    bool HasDataFile() const;

    // Runs it with arguments to its end; its exit code, or -1.
    int Run(const QStringList& arguments);
    // headless: the offscreen platform, where a message box goes to stderr.
    void Start(bool headless = false);
    bool WaitListening();
    // Its exit code, or -1 when it did not end in time.
    int WaitEnded(int timeoutMs = 30000);
    // Ends it at once through TerminateProcess, as Task Manager's End task or
    // taskkill /F does: it runs nothing more, so saves nothing. False when
    // it was not running or did not end.
    bool Terminate();

    QProcess m_Process;

private:
    QTemporaryDir m_dir;
};

// Sends text on a connection of its own; the reply, or "(no reply)".
std::string Send(const std::string& text);

// Logging off: Wine asks every window whether the session may end, then
// tells it that it does.
void EndSession();

// The title of the process's top-level window that is shown; empty when none is.
QString WindowTitle(qint64 pid);
