// The application object: the program is one modal navigator.
#pragma once

#include <QApplication>

class CAgentApp : public QApplication {
    Q_OBJECT

public:
    CAgentApp(int& argc, char** argv);

    // Runs the navigator until it ends. Always false: there is no other
    // message loop to enter afterwards.
    bool InitInstance();
    // What the process ends with once InitInstance has returned.
    int ExitStatus() const { return m_nExitStatus; }

private:
    int m_nExitStatus = 0;
};
