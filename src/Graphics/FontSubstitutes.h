#pragma once
// Face names that stand in for others: a face the window asks for that this machine lacks is
// drawn with the first of its substitutes that is installed.
#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

using TFontSubstitutes = std::vector<std::pair<QString, QStringList>>;

// Adds each face's substitutes, in order of preference, to those already installed.
void InstallFontSubstitutes(const TFontSubstitutes& table);
