// The window tests run on Qt's offscreen platform, in one application object for all of them.

#include <gtest/gtest.h>

#include <QApplication>

namespace {

// The offscreen platform says so each time a window is raised; that is not a finding.
void FiltraMessaggi(QtMsgType tipo, const QMessageLogContext& contesto, const QString& testo) {
    if (testo.contains(QLatin1String("does not support raise()"))) {
        return;
    }
    qt_message_output(tipo, contesto, testo);
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        qputenv("XDG_RUNTIME_DIR", "/tmp");
    }
    qInstallMessageHandler(FiltraMessaggi);
    QApplication app(argc, argv);
    // Tests close every window many times over; the application must outlive them all.
    QApplication::setQuitOnLastWindowClosed(false);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
