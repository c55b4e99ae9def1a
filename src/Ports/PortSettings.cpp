#include "Ports/PortSettings.h"

#include "DeviceIo/Devices.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
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
