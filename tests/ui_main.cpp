// The window tests run on Qt's offscreen platform, in one application object for all of them.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QSettings>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// The offscreen platform says so each time a window is raised or a message box sizes itself;
// that is not a finding.
void FiltraMessaggi(QtMsgType tipo, const QMessageLogContext& contesto, const QString& testo) {
    if (testo.contains(QLatin1String("does not support raise()")) ||
        testo.contains(QLatin1String("does not support propagateSizeHints()")) ||
        testo.contains(QLatin1String("does not support grabbing the keyboard"))) {
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
        // Qt wants the runtime directory private to the user, or it warns on every run.
        const QByteArray cartella = "/tmp/nodrel-ui-" + QByteArray::number(getuid());
        mkdir(cartella.constData(), 0700);
        chmod(cartella.constData(), 0700);
        qputenv("XDG_RUNTIME_DIR", cartella);
    }
    // The user's own register is the tests' own, never that of whoever runs them.
    const QByteArray dati = "/tmp/nodrel-ui-dati-" + QByteArray::number(getpid());
    qputenv("XDG_DATA_HOME", dati);
    qInstallMessageHandler(FiltraMessaggi);
    QApplication app(argc, argv);
    // Settings of the tests' own, gone with them: never the real user's recent people.
    const QTemporaryDir impostazioni;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, impostazioni.path());
    // Tests close every window many times over; the application must outlive them all.
    QApplication::setQuitOnLastWindowClosed(false);
    ::testing::InitGoogleTest(&argc, argv);
    const int esito = RUN_ALL_TESTS();
    QDir(QString::fromLocal8Bit(dati)).removeRecursively();
    return esito;
}
