#include "agent_app.h"

#include "focus_style.h"
#include "navigator_dlg.h"
#include "quit_signals.h"

CAgentApp::CAgentApp(int& argc, char** argv) : QApplication(argc, argv)
{
    // Message boxes carry the program's name; the navigator's loop is the
    // only one, and it alone decides when the program ends.
    setQuitOnLastWindowClosed(false);
    setStyle(new CFocusStyle);
}

bool CAgentApp::InitInstance()
{
    CNavigatorDlg navigator;
    // Logging out, shutting down or a termination signal must not lose what
    // arrived since the last save.
    CQuitSignals quitSignals([&navigator] { navigator.ExitWithoutAsking(); });
    navigator.DoModal();
    m_nExitStatus = navigator.ExitStatus();
    return false;
}
