#include "Ports/PortSettings.h"

#include "DeviceIo/Devices.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStringDecoder>
#include <cstdio>
#include <cstdlib>

namespace {

const QString Group = QStringLiteral("Ports");

bool IsNet(const QString& name) {
    return name == QLatin1String("NET");
}

void Warn(const std::string& text) {
    std::fprintf(stderr, "vemix: %s\n", text.c_str());
}

// Far more than the seven ports need; anything larger is no settings file of ours.
constexpr qint64 MaxFileBytes = 1 << 20;

// A line of text as the ini format has them: blank, a comment, [section] or key=value.
enum TIniLine : std::uint8_t { ilBlank, ilSection, ilSetting, ilNone };

TIniLine LineKind(const QByteArray& raw) {
    QByteArray line = raw.endsWith('\r') ? raw.chopped(1) : raw;
    for (const char c : line)
        if ((static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == 0x7F)
            return ilNone;
    QStringDecoder utf8(QStringConverter::Utf8);
    const QString text = QString(utf8(line)).trimmed();
    if (utf8.hasError())
        return ilNone;
    if (text.isEmpty() || text.startsWith(';') || text.startsWith('#'))
        return ilBlank;
    if (text.startsWith('[') && text.endsWith(']'))
        return ilSection;
    return text.indexOf('=') > 0 ? ilSetting : ilNone;
}

// Why the bytes are no settings file at all ("" when they are one); lines that are not
// settings in a file that is one are counted, the first of them noted (from 1).
std::string CheckText(const QByteArray& bytes, int& badLines, int& firstBad) {
    badLines = firstBad = 0;
    bool section = false;
    const QList<QByteArray> lines = bytes.split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        const TIniLine kind = LineKind(lines[i]);
        section = section || kind == ilSection;
        if (kind == ilNone && badLines++ == 0)
            firstBad = i + 1;
    }
    // Text with a section is a settings file with a few bad lines; bytes without one are not.
    return badLines > 0 && !section ? "not a settings file" : "";
}

// Reads the file's lines before QSettings does, which takes any bytes without a word.
bool ReadableSettingsText(const QString& file) {
    const std::string where = file.toStdString();
    QFile in(file);
    if (in.size() > MaxFileBytes) {
        Warn(where + ": too large for a settings file; port settings ignored");
        return false;
    }
    if (!in.open(QIODevice::ReadOnly)) {
        Warn(where + ": cannot be read; port settings ignored");
        return false;
    }
    int bad = 0, first = 0;
    const std::string problem = CheckText(in.readAll(), bad, first);
    if (!problem.empty()) {
        Warn(where + ": " + problem + "; port settings ignored");
        return false;
    }
    if (bad > 0)
        Warn(where + ": " + std::to_string(bad) + (bad == 1 ? " line is" : " lines are") +
             " not a setting (line " + std::to_string(first) + (bad == 1 ? "" : " first") +
             "); ignored");
    return true;
}

} // namespace

const QStringList& TPortSettings::Names() {
    static const QStringList names{"COM1", "COM2", "COM3", "COM4", "LPT1", "LPT2", "NET"};
    return names;
}

QString TPortSettings::DefaultFile() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/vemix/vemix-test.ini");
}

std::string TPortSettings::Problem(const QString& name, const std::string& value) {
    if (!Names().contains(name))
        return "no such port";
    if (IsNet(name)) {
        TNetAddressProblem problem = apNone;
        if (!ParseNetAddress(value, &problem))
            return NetAddressProblemReason(problem);
        return {};
    }
    if (value.empty() || value.front() != '/')
        return "not an absolute path";
    for (unsigned char c : value)
        if (c < 0x20 || c == 0x7F)
            return "the path holds a control character";
    return {};
}

TPortSettings TPortSettings::Load(const QString& file) {
    TPortSettings settings;
    if (const auto env = PortOverride("NET")) {
        TNetAddressProblem problem = apNone;
        if (!ParseNetAddress(*env, &problem))
            Warn(PortOverrideVariable("NET") + "=" + *env +
                 " ignored: " + NetAddressProblemReason(problem));
    }
    const QFileInfo info(file);
    if (!info.exists())
        return settings;
    const std::string where = file.toStdString();
    if (!info.isFile() || !info.isReadable()) {
        Warn(where + ": cannot be read; port settings ignored");
        return settings;
    }
    if (!ReadableSettingsText(file))
        return settings;
    QSettings ini(file, QSettings::IniFormat);
    if (ini.status() != QSettings::NoError) {
        Warn(where + ": not a settings file; port settings ignored");
        return settings;
    }
    ini.beginGroup(Group);
    for (const QString& key : ini.childKeys()) {
        const QVariant value = ini.value(key);
        const std::string text = value.toString().toStdString();
        std::string problem;
        if (!Names().contains(key))
            problem = "no such port";
        else if (value.userType() != QMetaType::QString)
            problem = "not a single value";
        else if (!text.empty())
            problem = Problem(key, text);
        if (!problem.empty()) {
            Warn(where + ": [Ports] " + key.toStdString() + "=" + text + " ignored: " + problem);
            continue;
        }
        if (!text.empty())
            settings.FStored[key] = text;
    }
    return settings;
}

bool TPortSettings::Save(const QString& file) const {
    if (!QDir().mkpath(QFileInfo(file).absolutePath())) {
        Warn(file.toStdString() + ": its folder cannot be made; port settings not saved");
        return false;
    }
    QSettings ini(file, QSettings::IniFormat);
    ini.beginGroup(Group);
    for (const QString& name : Names()) {
        const std::string value = Stored(name);
        if (value.empty())
            ini.remove(name);
        else
            ini.setValue(name, QString::fromStdString(value));
    }
    ini.endGroup();
    ini.sync();
    if (ini.status() != QSettings::NoError) {
        Warn(file.toStdString() + ": cannot be written; port settings not saved");
        return false;
    }
    return true;
}

std::string TPortSettings::Stored(const QString& name) const {
    const auto it = FStored.find(name);
    return it == FStored.end() ? std::string() : it->second;
}

bool TPortSettings::SetStored(const QString& name, const std::string& value) {
    if (!value.empty() && !Problem(name, value).empty())
        return false;
    if (value.empty())
        FStored.erase(name);
    else
        FStored[name] = value;
    return true;
}

std::optional<std::string> TPortSettings::Override(const QString& name) const {
    std::optional<std::string> env = PortOverride(name.toStdString());
    if (env && IsNet(name)) {
        TNetAddressProblem problem = apNone;
        if (!ParseNetAddress(*env, &problem))
            return std::nullopt;
    }
    return env;
}

std::string TPortSettings::Effective(const QString& name) const {
    if (const auto env = Override(name))
        return *env;
    const std::string stored = Stored(name);
    if (!stored.empty() || IsNet(name))
        return stored;
    return DefaultDevicePath(name.toStdString());
}

std::optional<TNetAddress> TPortSettings::NetAddress() const {
    const std::string text = Effective(QStringLiteral("NET"));
    if (text.empty())
        return std::nullopt;
    return ParseNetAddress(text, nullptr);
}
