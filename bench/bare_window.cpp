// The yardstick for start-up: a bare Qt 6 window of Kalvor's size with one label, probed the
// same way as Kalvor.
#include <QApplication>
#include <QLabel>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    window.setFixedSize(274, 140);
    QLabel label(QStringLiteral("Kalvor"), &window);
    window.show();
    return QApplication::exec();
}
