#pragma once
// The console's command lines, newest last: at most Max, kept between runs in the settings file
// beside the port settings ([Console] History). Up and Down walk through them as a shell does:
// the line being typed is kept and comes back past the newest.
#include <QString>
#include <QStringList>

class TCommandHistory {
  public:
    static constexpr int Max = 100;

    // Reads the file's history; one that is not a list of lines is said on standard error and
    // ignored.
    static TCommandHistory Load(const QString& file);
    // False (and a line on standard error) when the file cannot be written.
    bool Save(const QString& file) const;

    const QStringList& Lines() const { return FLines; }
    // A line that was sent: the newest, unless it repeats the newest; blank lines are not kept.
    // The walk starts again from the newest.
    void Add(const QString& line);

    // The line before the one shown (Up), given what the edit holds now; nothing past the
    // oldest.
    bool Older(const QString& current, QString& line);
    // The line after the one shown (Down): past the newest, what was typed before the walk.
    bool Newer(QString& line);

  private:
    QStringList FLines;
    int FAt = -1; // the line shown, -1 while none is
    QString FDraft;
};
