#pragma once
// The port test's result in the window's language: why a device did not open and what the
// operator can do about it, never pointing back at the dialog that shows it.
#include "Ports/DeviceProbe.h"

#include <QString>
#include <functional>

// Turns a value put into the text (a path, a host, a list) into what is shown of it.
using TShownValue = std::function<QString(const std::string&)>;

// Why: from the errno of the failure (net: the port is NET).
QString ProbeReasonText(const TProbeResult& result, bool net);
// What to do ("" when nothing helps). fromVariable: the device is the port's variable's for
// this run, so the choice here does not count.
QString ProbeHintText(const TProbeResult& result, const std::string& path, bool fromVariable,
                      const TShownValue& shown);
