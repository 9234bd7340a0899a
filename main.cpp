#include <QApplication>

#include "ui/info/start.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    nodrel::startProgram();
    return app.exec();
}
