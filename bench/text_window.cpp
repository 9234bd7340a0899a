// The floor for start-up with text: one window of the information window's size showing one
// line of text, so the program loads and renders a font as nodrel does. startup.sh times it,
// and its memory, against nodrel, beside the empty window.

#include <QApplication>
#include <QLabel>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget finestra;
    finestra.setWindowTitle(QStringLiteral("Una riga"));
    finestra.resize(631, 451);
    QLabel riga(QStringLiteral("Nodrel Versione 3.0"), &finestra);
    riga.move(48, 376);
    finestra.show();
    return app.exec();
}
