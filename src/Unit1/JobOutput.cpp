// Where a job's command strings go: the port router, or a sink an action is run into.
#include "Unit1/Form1.h"

void TForm1::RunInto(TJobSink& sink, const std::function<void()>& action) {
    struct TRestore {
        TForm1& F;
        TJobSink* Before;
        ~TRestore() { F.FSink = Before; }
    } restore{*this, FSink};
    FSink = &sink;
    action();
}

TEncoding TForm1::SendCommands(const std::vector<TCommand>& commands) {
    TJob job(*this);
    const std::optional<TCommandSet> set = CommandSetOf(FCommandMode);
    if (!set)
        return {false, {}, "no command set " + FCommandMode.toStdString()};
    TEncoding encoding = Encode(*set, commands);
    if (encoding.Supported)
        FSink->Send(encoding.Bytes);
    return encoding;
}
