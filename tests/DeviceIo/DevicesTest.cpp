// What standard error says when a device cannot be opened.
#include "DeviceIo/Devices.h"
#include "TempDir.h"
#include "Vemix/Policy.h"

#include <cerrno>
#include <fstream>
#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
std::string Node(const TempDir& dir, const char* name, mode_t mode) {
    const std::string path = dir.File(name);
    { std::ofstream(path) << ""; }
    chmod(path.c_str(), mode);
    return path;
}
} // namespace

TEST(Devices, APermissionHintNamesAGroupOnlyWhenTheGroupMayOpenTheDevice) {
    TempDir dir;
    const std::string group = getgrgid(getegid())->gr_name;
    const std::string owner = getpwuid(geteuid())->pw_name;
    const std::string join = "add the user to the group '" + group + "'";
    // A serial port is read and written, a printer only written.
    EXPECT_EQ(OpenFailureHint("COM1", Node(dir, "rw", 0660), EACCES), join);
    EXPECT_EQ(OpenFailureHint("LPT1", Node(dir, "w", 0620), EACCES), join);
    const std::string writeOnly = OpenFailureHint("COM1", dir.File("w"), EACCES);
    EXPECT_EQ(writeOnly.find("add the user"), std::string::npos) << writeOnly;
    EXPECT_NE(writeOnly.find("belongs to " + owner + ":" + group +
                             " with mode owner rw, group -w, others --"),
              std::string::npos)
        << writeOnly;
    EXPECT_NE(writeOnly.find("cannot read and write it"), std::string::npos) << writeOnly;
    const std::string ownerOnly = OpenFailureHint("LPT2", Node(dir, "o", 0600), EACCES);
    EXPECT_NE(ownerOnly.find("group --, others --"), std::string::npos) << ownerOnly;
    EXPECT_NE(ownerOnly.find("cannot write it"), std::string::npos) << ownerOnly;
    EXPECT_EQ(OpenFailureHint("COM1", dir.File("missing"), EACCES), "");
    EXPECT_EQ(OpenFailureHint("COM1", dir.File("rw"), EBUSY), "another program holds the port");
    EXPECT_NE(OpenFailureHint("LPT1", dir.File("missing"), ENOENT).find("VEMIX_LPT1"),
              std::string::npos);
}

// The program decides which variable maps a port; without a mapping no variable does.
TEST(Devices, PortOverridesFollowTheVariablesTheProgramNames) {
    TempDir dir;
    ScopedEnv program("VEMIX_COM1", "/tmp/vemix-program-com1");
    ScopedEnv own("OWN_COM1", "/tmp/own-com1");
    ScopedEnv empty("OWN_LPT1", "");
    SetPortOverrideVariables([](const std::string& port) { return "OWN_" + port; });
    EXPECT_EQ(PortOverrideVariable("COM1"), "OWN_COM1");
    EXPECT_EQ(DevicePath("COM1"), "/tmp/own-com1");
    EXPECT_EQ(DeviceSource("COM1"), dsEnvironment);
    // An empty value overrides nothing.
    EXPECT_EQ(PortOverride("LPT1"), std::nullopt);
    EXPECT_EQ(DevicePath("LPT1"), "/dev/lp0");
    EXPECT_NE(OpenFailureHint("LPT1", dir.File("missing"), ENOENT).find("or with OWN_LPT1"),
              std::string::npos);

    SetPortOverrideVariables(nullptr);
    EXPECT_EQ(PortOverrideVariable("COM1"), "");
    EXPECT_EQ(PortOverride("COM1"), std::nullopt);
    EXPECT_EQ(DevicePath("COM1"), "/dev/ttyS0");
    EXPECT_EQ(DeviceSource("COM1"), dsDefault);
    const std::string hint = OpenFailureHint("COM1", dir.File("missing"), ENOENT);
    EXPECT_EQ(hint.find("or with"), std::string::npos) << hint;

    InstallPortVariables();
    EXPECT_EQ(DevicePath("COM1"), "/tmp/vemix-program-com1");
}
