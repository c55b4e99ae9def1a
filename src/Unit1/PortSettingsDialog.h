#pragma once
// "連接埠設定": which device each port of the window uses. Lists the devices present, takes any
// typed path, tests a choice without printing, and keeps the choices in the user's settings.
#include "Ports/NetAddress.h"
#include "Rtl/Events.h"

#include <QDialog>
#include <QString>
#include <map>
#include <optional>
#include <string>

class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class TPortRegistry;

class TPortSettingsDialog : public QDialog {
    Q_OBJECT
  public:
    // deviceRoot prefixes the folders searched for devices (tests give a tree of their own).
    explicit TPortSettingsDialog(TPortRegistry& ports, QWidget* parent = nullptr,
                                 std::string deviceRoot = {});

    // The parts of the dialog, by port name ("COM1".."COM4", "LPT1", "LPT2", "NET").
    QComboBox* DeviceEdit(const QString& name) const { return FDevices.at(name); }
    QLineEdit* NetHostEdit() const { return FNetHost; }
    QLineEdit* NetPortEdit() const { return FNetPort; }
    QPushButton* TestButton(const QString& name) const { return FTests.at(name); }
    QLabel* Note(const QString& name) const { return FNotes.at(name); }
    QLabel* Result() const { return FResult; }

    // Opens and closes the chosen device of a port and says what happened.
    void Test(const QString& name);
    // Checks every choice, keeps them in the settings file and uses them from now on; a bad
    // choice is refused with a message and the dialog stays open.
    void accept() override;
    void done(int result) override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void AddDeviceRow(const QString& name, const std::string& deviceRoot);
    void AddNetRow();
    // The test button and the note of a row, after its editors.
    void FinishRow(const QString& name, int row, int column);
    void ShowOverride(const QString& name);
    // NET's address as typed; none when both fields are empty or the address is bad.
    std::optional<TNetAddress> NetChoice(TNetAddressProblem& problem) const;
    // What the row holds now: a path, or host:port for NET ("" for the default).
    std::string Chosen(const QString& name) const;
    // What the port would use with the row as it is: the override, the choice or the default.
    std::string InUse(const QString& name) const;
    // Refuses a choice that no port can use; true when it is fine.
    bool Check(const QString& name);
    // A value as the texts show it.
    QString Shown(const std::string& value) const;
    void SetResult(const QString& text);
    // Never larger than the screen's free area, whatever the texts hold.
    void KeepOnScreen();

    TPortRegistry& FPorts;
    QGridLayout* FGrid;
    std::map<QString, QComboBox*> FDevices;
    std::map<QString, QPushButton*> FTests;
    std::map<QString, QLabel*> FNotes;
    QLineEdit* FNetHost = nullptr;
    QLineEdit* FNetPort = nullptr;
    QLabel* FResult = nullptr;
    // A test still connecting ends when the dialog closes.
    TWaitCancel FCancel;
};
