#pragma once
// Records every message box the program would show, in order, instead of blocking on it.
#include "Rtl/Messages.h"

#include <QString>
#include <QStringList>
#include <vector>

struct RecordedMessage {
    MessageKind kind;
    QString text;
    QString details;
};

class MessageRecorder {
  public:
    MessageRecorder();  // installs itself and clears what earlier tests left
    ~MessageRecorder(); // puts the previous presenter back

    const std::vector<RecordedMessage>& Messages() const { return messages_; }
    QStringList Texts() const;
    void Clear() { messages_.clear(); }

  private:
    std::vector<RecordedMessage> messages_;
    MessagePresenter previous_;
};

// Error text with the system's LF CR line break between two parts.
inline QString LfCr(const QString& a, const QString& b) {
    return a + "\n\r" + b;
}
