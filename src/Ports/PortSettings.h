#pragma once
// Which device each port uses: the user's settings file (ini, in the per-user configuration
// folder), overridden for one run by VEMIX_COMn, VEMIX_LPTn and VEMIX_NET=host[:port].
#include "Ports/NetAddress.h"

#include <QString>
#include <QStringList>
#include <map>
#include <optional>
#include <string>

class TPortSettings {
  public:
    // The ports that can be mapped: "COM1".."COM4", "LPT1", "LPT2", "NET".
    static const QStringList& Names();
    // $XDG_CONFIG_HOME/vemix/vemix-test.ini (or ~/.config/...).
    static QString DefaultFile();

    // Reads the file. A file that cannot be read, and every bad value in it, is reported on
    // standard error and ignored.
    static TPortSettings Load(const QString& file = DefaultFile());
    // Writes every stored value; false (and a line on standard error) when it cannot.
    bool Save(const QString& file = DefaultFile()) const;

    // The stored value of a port: a device path, or host[:port] for NET; "" for none.
    std::string Stored(const QString& name) const;
    // Stores a value; false when it is not one a port can use (see Problem).
    bool SetStored(const QString& name, const std::string& value);

    // The value of VEMIX_<NAME> when it is set and usable.
    std::optional<std::string> Override(const QString& name) const;
    // What this run uses: the override, else the stored value, else the port's default
    // ("" for NET, which has none).
    std::string Effective(const QString& name) const;
    // NET's address for this run, or none.
    std::optional<TNetAddress> NetAddress() const;

    // Why a value cannot be stored for a port ("" when it can), for standard error.
    static std::string Problem(const QString& name, const std::string& value);

  private:
    std::map<QString, std::string> FStored;
};
