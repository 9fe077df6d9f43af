// Termination signals (SIGTERM, SIGHUP, SIGINT) turned into a call on the
// GUI thread. The handler itself only writes a byte to a pipe: nothing else
// is safe inside a signal handler.
#pragma once

#include <functional>

#include <QObject>

class QSocketNotifier;

class CQuitSignals : public QObject {
    Q_OBJECT

public:
    // onQuit runs on the thread that constructs this object, once per signal.
    explicit CQuitSignals(std::function<void()> onQuit, QObject* parent = nullptr);
    ~CQuitSignals() override;

private:
    void OnSignalled();

    std::function<void()> m_onQuit;
    QSocketNotifier* m_pNotifier = nullptr;
};
