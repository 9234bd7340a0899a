// The least a Qt Widgets program can do before its first window is on the screen: one empty
// window, of the information window's size, so the first paint covers as many pixels.
// startup.sh times it, and its memory, against nodrel.

#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget finestra;
    finestra.setWindowTitle(QStringLiteral("Finestra vuota"));
    finestra.resize(631, 451);
    finestra.show();
    return app.exec();
}
