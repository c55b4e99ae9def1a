#include "Console/History.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <cstdio>

namespace {

const QString Group = QStringLiteral("Console");
const QString Key = QStringLiteral("History");

void Warn(const QString& text) {
    std::fprintf(stderr, "vemix: %s\n", text.toUtf8().constData());
}

} // namespace

TCommandHistory TCommandHistory::Load(const QString& file) {
    TCommandHistory history;
    if (!QFileInfo(file).isFile())
        return history;
    QSettings ini(file, QSettings::IniFormat);
    const QVariant value = ini.value(Group + '/' + Key);
    if (!value.isValid())
        return history;
    // One line is read back as a string, more as a list.
    const int type = value.userType();
    if (type != QMetaType::QString && type != QMetaType::QStringList) {
        Warn(file + ": [Console] History is not a list of lines; ignored");
        return history;
    }
    for (const QString& line : value.toStringList())
        history.Add(line);
    return history;
}

bool TCommandHistory::Save(const QString& file) const {
    if (!QDir().mkpath(QFileInfo(file).absolutePath())) {
        Warn(file + ": its folder cannot be made; the console's history is not saved");
        return false;
    }
    QSettings ini(file, QSettings::IniFormat);
    ini.setValue(Group + '/' + Key, FLines);
    ini.sync();
    if (ini.status() != QSettings::NoError) {
        Warn(file + ": cannot be written; the console's history is not saved");
        return false;
    }
    return true;
}

void TCommandHistory::Add(const QString& line) {
    FAt = -1;
    FDraft.clear();
    if (line.trimmed().isEmpty() || (!FLines.isEmpty() && FLines.back() == line))
        return;
    FLines.push_back(line);
    while (FLines.size() > Max)
        FLines.pop_front();
}

bool TCommandHistory::Older(const QString& current, QString& line) {
    if (FLines.isEmpty() || FAt == 0)
        return false;
    if (FAt < 0) {
        FDraft = current;
        FAt = static_cast<int>(FLines.size());
    }
    line = FLines[--FAt];
    return true;
}

bool TCommandHistory::Newer(QString& line) {
    if (FAt < 0)
        return false;
    if (++FAt >= FLines.size()) {
        FAt = -1;
        line = FDraft;
        return true;
    }
    line = FLines[FAt];
    return true;
}
