#pragma once
// What can be done about a port that did not open. The advice is facts; standard error words
// them here, the window in its own language.
#include <cstdint>
#include <string>
#include <vector>

enum TAdviceKind : std::uint8_t {
    adNone,
    adJoinGroup,    // the device's group may open it: the user should join that group
    adNoGroupHelps, // not even its group may: a device rule or another device
    adChooseDevice, // no such device: these of the port's kind exist
    adBusy,         // another program holds it
};

struct TOpenAdvice {
    TAdviceKind Kind = adNone;
    // A serial port is read and written; a printer only written.
    bool Serial = false;
    // The device's owner and group, and what its mode allows the owner, the group and others
    // ("rw", "-w", "--").
    std::string Owner, Group;
    std::string OwnerAccess, GroupAccess, OtherAccess;
    // The devices of the port's kind that exist (at most 8; More when there are others).
    std::vector<std::string> Present;
    bool More = false;
    // The variable that overrides the port's device ("" for none).
    std::string Variable;
};

TOpenAdvice OpenFailureAdvice(const std::string& portName, const std::string& path, int err);

// One line on standard error explaining why a port failed to open: name, path, reason, hint.
void ReportOpenFailure(const std::string& portName, const std::string& path, int err);
// The hint of that line ("" when none helps). A missing permission names a group only when
// the device's mode lets that group open it as the port needs (serial ports read and write,
// printers write); otherwise it says who owns the device and what its mode allows.
std::string OpenFailureHint(const std::string& portName, const std::string& path, int err);
