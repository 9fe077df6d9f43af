// Saves a top-level window as the screen shows it, frame and all, as a PNG:
// scripts/screenshot-wine takes the README's picture of the navigator under
// Wine with it. Usage: window_grab TITLE FILE.png
#include <windows.h>

#include <cstdio>

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QThread>

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: window_grab TITLE FILE.png\n");
        return 2;
    }
    HWND window = nullptr;
    for (int tries = 0; tries < 100 && !(window = FindWindowA(nullptr, argv[1])); ++tries)
        QThread::msleep(100);
    RECT frame;
    if (!window || !GetWindowRect(window, &frame)) {
        std::fprintf(stderr, "window_grab: no window \"%s\"\n", argv[1]);
        return 1;
    }
    const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(
        0, frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top);
    return shot.save(QString::fromLocal8Bit(argv[2]), "PNG") ? 0 : 1;
}
