#include "agent_app.h"

int main(int argc, char** argv)
{
    CAgentApp app(argc, argv);
    app.InitInstance();
    return app.ExitStatus();
}
