#include "Commands/CommandSet.h"

#include "Rtl/Strings.h"

namespace {

const char* const Names[CommandSetCount] = {"EPSON", "START", "TP-3688"};

} // namespace

const QStringList& CommandSetNames() {
    static const QStringList names{Names[csEPSON], Names[csSTART], Names[csTP3688]};
    return names;
}

std::optional<TCommandSet> CommandSetOf(const QString& mode) {
    const int index = IndexOfText(CommandSetNames(), mode);
    if (index < 0)
        return std::nullopt;
    return static_cast<TCommandSet>(index);
}

std::optional<TCommandSet> CommandSetByName(std::string_view name) {
    const QString wanted = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
    for (int set = 0; set < CommandSetCount; ++set)
        if (wanted.compare(QLatin1String(Names[set]), Qt::CaseInsensitive) == 0)
            return static_cast<TCommandSet>(set);
    return std::nullopt;
}

const char* CommandSetName(TCommandSet set) {
    return set < CommandSetCount ? Names[set] : "";
}
