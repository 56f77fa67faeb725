#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// Every test program shares this main(): widgets need an application object,
// and tests must run without a display.
int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Windows built by tests read and write their settings here, never in the
    // real user's configuration.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pylonix"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
