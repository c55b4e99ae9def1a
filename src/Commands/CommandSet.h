#pragma once
// The printer command sets by name: the window's mode group, the virtual printer's --mode and
// every table of the printer language know them as this one enumeration.
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <string_view>

enum TCommandSet : std::uint8_t { csEPSON, csSTART, csTP3688 };
constexpr int CommandSetCount = 3;

// "EPSON", "START", "TP-3688", in the order of TCommandSet.
const QStringList& CommandSetNames();
// The set a mode name selects (whole, case-sensitive, as the window compares), or none.
std::optional<TCommandSet> CommandSetOf(const QString& mode);
// The same for a name typed on a command line, in any letter case.
std::optional<TCommandSet> CommandSetByName(std::string_view name);
const char* CommandSetName(TCommandSet set);
