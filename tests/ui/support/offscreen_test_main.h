#pragma once

// main() for a window test: Qt's offscreen platform unless another one is asked for (without
// a platform or a display Qt aborts), and a private runtime folder so Qt does not warn.

#include <QApplication>
#include <QDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace testsupport {

inline void prepareOffscreenEnvironment() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QString dir =
            QDir::tempPath() + QStringLiteral("/dissim-ui-tests-") + QString::number(::getuid());
        QDir().mkpath(dir);
        ::chmod(QFile::encodeName(dir).constData(), 0700);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir));
    }
}

} // namespace testsupport

#define DISSIM_OFFSCREEN_TEST_MAIN(TestClass)                                                      \
    int main(int argc, char* argv[]) {                                                             \
        testsupport::prepareOffscreenEnvironment();                                                \
        QApplication application(argc, argv);                                                      \
        TestClass test;                                                                            \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
