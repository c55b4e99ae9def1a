#include "Recorder.h"

MessageRecorder::MessageRecorder() {
    previous_ = SetMessagePresenter([this](MessageKind kind, const QString& text) {
        messages_.push_back({kind, text});
    });
}

MessageRecorder::~MessageRecorder() {
    SetMessagePresenter(previous_);
}

QStringList MessageRecorder::Texts() const {
    QStringList out;
    for (const auto& m : messages_)
        out << m.text;
    return out;
}
