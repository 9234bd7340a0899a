// Renders one SVG picture of assets/ to PNG at build time, with Qt's own SVG renderer, so that
// the windows show a finished picture instead of parsing and drawing the SVG (and loading the
// fonts of its text) before their first paint.
//
//   nodrel_disegna IN.svg OUT.png [SIDE]      (SIDE: a square of that many pixels, for the icon)
//
// The pixels are stored premultiplied, as the painter left them, so that the program takes them
// back bit for bit: a PNG of straight colour would round the half-transparent edges twice.

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>

int main(int argc, char* argv[]) {
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: nodrel_disegna IN.svg OUT.png [SIDE]\n");
        return 2;
    }
    // The fonts of the pictures that carry text; no display is needed (and the offscreen
    // platform draws them as the screen does).
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    const QString ingresso = QString::fromLocal8Bit(argv[1]);
    const QString uscita = QString::fromLocal8Bit(argv[2]);
    QSvgRenderer renderer(ingresso);
    if (!renderer.isValid()) {
        std::fprintf(stderr, "%s: not a picture\n", argv[1]);
        return 1;
    }
    QSize dimensione = renderer.defaultSize();
    if (argc == 4) {
        // As an SVG icon draws itself at a size: its own shape, scaled to fit.
        const int lato = QByteArray(argv[3]).toInt();
        dimensione.scale(lato, lato, Qt::KeepAspectRatio);
    }
    QImage immagine(dimensione, QImage::Format_ARGB32_Premultiplied);
    immagine.fill(Qt::transparent);
    QPainter pittore(&immagine);
    renderer.render(&pittore);
    pittore.end();
    immagine.reinterpretAsFormat(QImage::Format_ARGB32);
    // Written under a temporary name: a failed build leaves no half picture behind.
    const QString provvisorio = uscita + QStringLiteral(".tmp");
    if (!immagine.save(provvisorio, "PNG") || (QFile::exists(uscita) && !QFile::remove(uscita)) ||
        !QFile::rename(provvisorio, uscita)) {
        std::fprintf(stderr, "%s: cannot be written\n", argv[2]);
        return 1;
    }
    return 0;
}
