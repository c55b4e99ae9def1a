#include "Recorder.h"

MessageRecorder::MessageRecorder() {
    previous_ = SetMessagePresenter([this](const TMessage& m) {
        messages_.push_back({m.Kind, m.Text, m.Details});
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
