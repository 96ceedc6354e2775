// The yardstick of the start-up benchmark: a bare Qt Widgets program that
// shows one window and, like the program under its test switch, closes it
// 20 ms after it is shown.
#include <QApplication>
#include <QTimer>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.resize(640, 480);
    window.setWindowTitle(QStringLiteral("bare"));
    window.show();
    QTimer::singleShot(20, &window, [&] {
        window.close();
        app.quit();
    });
    return app.exec();
}
