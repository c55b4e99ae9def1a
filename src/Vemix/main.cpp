// Start-up: one instance, the application title, the main window and the message loop.
#include "DeviceIo/Devices.h"
#include "Forms/InputKeeping.h"
#include "Forms/MessageBox.h"
#include "Forms/ScreenFit.h"
#include "Rtl/Application.h"
#include "Unit1/Form1.h"
#include "Vemix/CommandLine.h"
#include "Vemix/Display.h"
#include "Vemix/Policy.h"
#include "Vemix/SingleInstance.h"

#include <QApplication>
#include <QIcon>
#include <cstdio>
#include <memory>

int main(int argc, char** argv) {
    // Answered before Qt starts, so --help and --version need no display.
    if (const auto status = AnswerCommandLine(argc, argv, stdout, stderr))
        return *status;
    auto display = std::make_unique<TDisplayCheck>(argv[0]);
    QApplication app(argc, argv);
    display.reset();
    InstallPortVariables();
    SetDefaultMessagePresenter(ShowMessageBox);
    InstallInputKeeping();
    // The desktop matches the window to its menu entry by this name; the icon is the installed
    // one (none when run from the build folder).
    QGuiApplication::setDesktopFileName(QStringLiteral(VEMIX_APP_ID));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral(VEMIX_APP_ID)));
    const QString title = QStringLiteral("Vemix_Test");
    TSingleInstance instance(title);
    if (instance.AskRunningInstanceToShow())
        return 0;

    SetAppTitle(title);
    InstallProgramFonts();
    TForm1 form;
    form.setObjectName("Form1");
    // At the screen centre, or scrolled within the screen where it does not fit.
    TScreenFit onScreen(form);
    instance.Listen([&onScreen] {
        if (TraceEnabled())
            std::fprintf(stderr, "vemix: brought forward by a second start\n");
        onScreen.BringForward();
    });
    onScreen.Show();
    ReportUnknownCodePage();
    return app.exec();
}
