#include "Unit1/PortSettingsDialog.h"

#include "DeviceIo/Devices.h"
#include "Ports/DeviceProbe.h"
#include "Ports/DeviceScan.h"
#include "Ports/PortRegistry.h"
#include "Rtl/Application.h"
#include "Rtl/Messages.h"
#include "Unit1/ProbeWording.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

namespace {

const QString Net = QStringLiteral("NET");
// How much of a long value the texts show, in average characters.
constexpr int ShownValueChars = 48;

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

bool IsSerial(const QString& name) {
    return name.startsWith(QLatin1String("COM"));
}

QString Variable(const QString& name) {
    return QString::fromStdString(PortOverrideVariable(name.toStdString()));
}

} // namespace

TPortSettingsDialog::TPortSettingsDialog(TPortRegistry& ports, QWidget* parent,
                                         std::string deviceRoot)
    : QDialog(parent), FPorts(ports), FGrid(new QGridLayout) {
    setWindowTitle(QStringLiteral("連接埠設定"));
    auto* help = new QLabel(QStringLiteral("空白表示使用預設裝置，也可以直接輸入任何路徑。"
                                           "環境變數 VEMIX_COM1…VEMIX_LPT2 與 VEMIX_NET "
                                           "在該次執行中優先於這裡的設定。"),
                            this);
    help->setWordWrap(true);
    FGrid->setColumnStretch(1, 1);
    for (const QString& name : TPortSettings::Names())
        if (name != Net)
            AddDeviceRow(name, deviceRoot);
    AddNetRow();
    FResult = new QLabel(this);
    FResult->setObjectName("Result");
    FResult->setWordWrap(true);
    FResult->setTextInteractionFlags(Qt::TextSelectableByMouse);
    FResult->setMinimumHeight(fontMetrics().lineSpacing() * 3);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("確定"), QDialogButtonBox::AcceptRole)->setObjectName("Ok");
    buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole)
        ->setObjectName("Cancel");
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { Guarded([this] { accept(); }); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(help);
    layout->addLayout(FGrid);
    layout->addWidget(FResult);
    layout->addWidget(buttons);
    resize(sizeHint().expandedTo(QSize(620, 0)));
}

void TPortSettingsDialog::AddDeviceRow(const QString& name, const std::string& root) {
    const int row = FGrid->rowCount();
    auto* edit = new QComboBox(this);
    edit->setObjectName("Device" + name);
    edit->setEditable(true);
    edit->setInsertPolicy(QComboBox::NoInsert);
    edit->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    edit->setMinimumContentsLength(32);
    for (const TFoundDevice& d :
         IsSerial(name) ? FindSerialDevices(root) : FindPrinterDevices(root))
        edit->addItem(Q(d.Label), Q(d.Path));
    edit->setEditText(Q(FPorts.Settings().Stored(name)));
    edit->lineEdit()->setPlaceholderText(QStringLiteral("預設 ") +
                                         Q(DefaultDevicePath(name.toStdString())));
    auto* label = new QLabel(name, this);
    label->setBuddy(edit);
    FGrid->addWidget(label, row, 0);
    FGrid->addWidget(edit, row, 1);
    FDevices[name] = edit;
    FinishRow(name, row, 2);
}

void TPortSettingsDialog::AddNetRow() {
    const int row = FGrid->rowCount();
    FNetHost = new QLineEdit(this);
    FNetHost->setObjectName("NetHost");
    FNetHost->setPlaceholderText(QStringLiteral("印表機的 IP 位址或主機名稱"));
    FNetPort = new QLineEdit(this);
    FNetPort->setObjectName("NetPort");
    FNetPort->setPlaceholderText(QString::number(DefaultNetPort));
    FNetPort->setMaximumWidth(fontMetrics().horizontalAdvance(QStringLiteral("0000000")) + 12);
    if (const auto stored = ParseNetAddress(FPorts.Settings().Stored(Net), nullptr)) {
        FNetHost->setText(Q(stored->Host));
        FNetPort->setText(QString::number(stored->Port));
    }
    auto* address = new QHBoxLayout;
    address->addWidget(FNetHost, 1);
    address->addWidget(new QLabel(QStringLiteral(":"), this));
    address->addWidget(FNetPort);
    auto* label = new QLabel(Net, this);
    label->setBuddy(FNetHost);
    FGrid->addWidget(label, row, 0);
    FGrid->addLayout(address, row, 1);
    FinishRow(Net, row, 2);
}

void TPortSettingsDialog::FinishRow(const QString& name, int row, int column) {
    auto* test = new QPushButton(QStringLiteral("測試"), this);
    test->setObjectName("Test" + name);
    test->setAutoDefault(false);
    connect(test, &QPushButton::clicked, this,
            [this, name] { Guarded([this, name] { Test(name); }); });
    FGrid->addWidget(test, row, column);
    auto* note = new QLabel(this);
    note->setObjectName("Note" + name);
    note->setWordWrap(true);
    note->setVisible(false);
    FGrid->addWidget(note, row + 1, 1, 1, 2);
    FTests[name] = test;
    FNotes[name] = note;
    ShowOverride(name);
}

void TPortSettingsDialog::ShowOverride(const QString& name) {
    const std::optional<std::string> env = PortOverride(name.toStdString());
    if (!env)
        return;
    QLabel* note = FNotes.at(name);
    note->setVisible(true);
    const std::optional<std::string> used = FPorts.Settings().Override(name);
    if (!used) {
        note->setText(Variable(name) + QStringLiteral("=") + Shown(*env) +
                      QStringLiteral(" 無效，已略過；使用這裡的設定。"));
        return;
    }
    note->setText(QStringLiteral("本次執行由 ") + Variable(name) + QStringLiteral("=") +
                  Shown(*used) + QStringLiteral(" 指定，這裡的設定在沒有此變數時才使用。"));
    // The row shows what this run uses; the stored choice stays as it is.
    if (name == Net) {
        const auto address = ParseNetAddress(*used, nullptr);
        FNetHost->setText(Q(address->Host));
        FNetPort->setText(QString::number(address->Port));
        FNetHost->setEnabled(false);
        FNetPort->setEnabled(false);
    } else {
        FDevices.at(name)->setEditText(Q(*used));
        FDevices.at(name)->setEnabled(false);
    }
}

std::optional<TNetAddress> TPortSettingsDialog::NetChoice(TNetAddressProblem& problem) const {
    return ParseNetFields(FNetHost->text().toStdString(), FNetPort->text().toStdString(), problem);
}

std::string TPortSettingsDialog::Chosen(const QString& name) const {
    if (name == Net) {
        TNetAddressProblem problem;
        const auto address = NetChoice(problem);
        return address ? NetAddressText(*address) : std::string();
    }
    const QComboBox* edit = FDevices.at(name);
    const QString text = edit->currentText();
    // A listed device shows its readable name; the port opens its path.
    const int index = edit->findText(text);
    if (index >= 0)
        return edit->itemData(index).toString().toStdString();
    return text.toStdString();
}

std::string TPortSettingsDialog::InUse(const QString& name) const {
    if (const auto env = FPorts.Settings().Override(name))
        return *env;
    const std::string chosen = Chosen(name);
    if (!chosen.empty() || name == Net)
        return chosen;
    return DefaultDevicePath(name.toStdString());
}

bool TPortSettingsDialog::Check(const QString& name) {
    if (FPorts.Settings().Override(name))
        return true; // not taken from here
    if (name == Net) {
        TNetAddressProblem problem;
        NetChoice(problem);
        if (problem == apNone)
            return true;
        ShowError(QString::fromUtf8(NetAddressProblemText(problem)));
        (problem == apBadPort ? FNetPort : FNetHost)->setFocus();
        return false;
    }
    const std::string chosen = Chosen(name);
    if (chosen.empty() || TPortSettings::Problem(name, chosen).empty())
        return true;
    ShowError(name + QStringLiteral(" 的裝置須是以 / 開頭的完整路徑，例如 ") +
              Q(DefaultDevicePath(name.toStdString())) + QStringLiteral("！"));
    FDevices.at(name)->setFocus();
    return false;
}

void TPortSettingsDialog::Test(const QString& name) {
    if (!Check(name))
        return;
    const std::string target = InUse(name);
    TProbeResult r;
    QString what;
    if (name == Net) {
        const auto address = ParseNetAddress(target, nullptr);
        if (!address) {
            SetResult(QStringLiteral("NET：尚未設定印表機的位址，請在上方輸入印表機的 IP 位址"
                                     "或主機名稱，再按一次「測試」。"));
            return;
        }
        what = QStringLiteral("NET (") + Shown(NetAddressText(*address)) + QStringLiteral(")：");
        SetResult(what + QStringLiteral("連線中…"));
        setEnabled(false);
        r = ProbeNet(*address, FPorts.Net().Lookup(), &FCancel);
        setEnabled(true);
        what +=
            r.Ok ? QStringLiteral("連線並中斷成功，沒有送出任何資料。")
                 : QStringLiteral("無法連線 — ") + ProbeReasonText(r, true) + QStringLiteral("。");
    } else {
        r = IsSerial(name) ? ProbeSerial(name.toStdString(), target)
                           : ProbeParallel(name.toStdString(), target);
        what = name + QStringLiteral(" (") + Shown(target) + QStringLiteral(")：");
        what +=
            r.Ok ? QStringLiteral("開啟並關閉成功，沒有送出任何資料。")
                 : QStringLiteral("無法開啟 — ") + ProbeReasonText(r, false) + QStringLiteral("。");
    }
    const bool fromVariable = FPorts.Settings().Override(name).has_value();
    const QString hint = ProbeHintText(r, target, fromVariable,
                                       [this](const std::string& value) { return Shown(value); });
    if (!hint.isEmpty())
        what += QStringLiteral("\n建議：") + hint;
    SetResult(what);
}

QString TPortSettingsDialog::Shown(const std::string& value) const {
    // A long path or host is shortened in its middle, so no text outgrows the screen.
    return fontMetrics().elidedText(QString::fromStdString(value), Qt::ElideMiddle,
                                    fontMetrics().averageCharWidth() * ShownValueChars);
}

void TPortSettingsDialog::SetResult(const QString& text) {
    FResult->setText(text);
    KeepOnScreen();
}

void TPortSettingsDialog::KeepOnScreen() {
    const QScreen* on = screen();
    if (!on)
        return;
    const QRect room = on->availableGeometry();
    setMaximumSize(room.size());
    if (width() > room.width() || height() > room.height())
        resize(std::min(width(), room.width()), std::min(height(), room.height()));
}

void TPortSettingsDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    KeepOnScreen();
}

void TPortSettingsDialog::accept() {
    TPortSettings settings = FPorts.Settings();
    for (const QString& name : TPortSettings::Names()) {
        if (!Check(name))
            return;
        if (!FPorts.Settings().Override(name))
            settings.SetStored(name, Chosen(name));
    }
    if (!settings.Save())
        ShowError(QStringLiteral("連接埠設定無法儲存到 ") + TPortSettings::DefaultFile() +
                  QStringLiteral("，只在這次執行中使用。"));
    FPorts.Apply(settings);
    QDialog::accept();
}

void TPortSettingsDialog::done(int result) {
    FCancel.Cancel();
    QDialog::done(result);
}
