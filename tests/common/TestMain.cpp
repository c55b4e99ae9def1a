// Shared main of every test binary: a headless application, no blocking dialogs, and a
// configuration folder of its own so that no test reads or writes the user's settings.
#include "Forms/InputKeeping.h"
#include "Recorder.h"
#include "TempDir.h"
#include "Vemix/Policy.h"

#include <QApplication>
#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // Test discovery runs the binary without the test environment, so default it here.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    TempDir config;
    setenv("XDG_CONFIG_HOME", config.Path().c_str(), 1);
    QApplication app(argc, argv);
    // Tests map ports through the program's own variables, and hold input as it does.
    InstallPortVariables();
    InstallInputKeeping();
    // A test that forgets its own recorder still never blocks on a message box.
    SetMessagePresenter([](const TMessage& m) {
        ADD_FAILURE() << "unexpected message box: " << m.Text.toStdString();
    });
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
