#include "Vemix/Display.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// A message with copies of its context's texts, which the toolkit may free.
struct THeld {
    QtMsgType Type;
    QByteArray File, Function, Category;
    int Line;
    QString Text;
};

struct TState {
    std::string Program;
    QtMessageHandler Previous = nullptr;
    std::vector<THeld> Held;
};

TState& State() {
    static TState state;
    return state;
}

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// Why no display was found, or "" when the failure is another one.
std::string NoDisplayReason() {
    // A platform of its own (offscreen, vnc, ...) fails for reasons of its own.
    const std::string platform = Variable("QT_QPA_PLATFORM");
    if (!platform.empty() && platform.rfind("xcb", 0) != 0 && platform.rfind("wayland", 0) != 0)
        return {};
    const std::string display = Variable("DISPLAY");
    const std::string wayland = Variable("WAYLAND_DISPLAY");
    if (display.empty() && wayland.empty())
        return "DISPLAY is not set";
    for (const THeld& h : State().Held)
        if (h.Text.contains(QStringLiteral("could not connect to display")))
            return "DISPLAY=" + display + " does not answer";
    return {};
}

void PassOn(const THeld& h) {
    auto text = [](const QByteArray& b) { return b.isNull() ? nullptr : b.constData(); };
    const QMessageLogContext context(text(h.File), h.Line, text(h.Function), text(h.Category));
    if (State().Previous)
        State().Previous(h.Type, context, h.Text);
    else
        std::fprintf(stderr, "%s\n", h.Text.toLocal8Bit().constData());
}

void Hold(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    TState& s = State();
    s.Held.push_back({type, QByteArray(context.file), QByteArray(context.function),
                      QByteArray(context.category), context.line, text});
    if (type != QtFatalMsg)
        return;
    const std::string reason = NoDisplayReason();
    if (reason.empty()) {
        for (const THeld& h : s.Held)
            PassOn(h);
        return; // the toolkit aborts
    }
    std::fprintf(stderr,
                 "vemix-test: no display found (%s); start it on a desktop, or in a virtual "
                 "display with: xvfb-run -a %s\n",
                 reason.c_str(), s.Program.c_str());
    std::fflush(stderr);
    // The application object is half made: nothing of it may run on the way out.
    ::_exit(1);
}

} // namespace

TDisplayCheck::TDisplayCheck(const char* program) {
    State().Program = program;
    State().Previous = qInstallMessageHandler(Hold);
}

TDisplayCheck::~TDisplayCheck() {
    qInstallMessageHandler(State().Previous);
    for (const THeld& h : State().Held)
        PassOn(h);
    State().Held.clear();
}
