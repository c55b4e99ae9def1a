#include "Unit1/PortSettingsDialog.h"

#include "DeviceIo/Devices.h"
#include "Ports/DeviceProbe.h"
#include "Ports/DeviceScan.h"
#include "Ports/PortRegistry.h"
#include "Rtl/Application.h"
#include "Rtl/Messages.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {

const QString Net = QStringLiteral("NET");

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
        note->setText(Variable(name) + QStringLiteral("=") + QString::fromLocal8Bit(env->c_str()) +
                      QStringLiteral(" 無效，已略過；使用這裡的設定。"));
        return;
    }
    note->setText(QStringLiteral("本次執行由 ") + Variable(name) + QStringLiteral("=") + Q(*used) +
                  QStringLiteral(" 指定，這裡的設定在沒有此變數時才使用。"));
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
    const std::string host = FNetHost->text().toStdString();
    const std::string port = FNetPort->text().toStdString();
    problem = apNone;
    if (host.empty() && port.empty())
        return std::nullopt;
    // "host:port" typed in the host field alone is taken as it is.
    const std::size_t colons = static_cast<std::size_t>(std::count(host.begin(), host.end(), ':'));
    if (port.empty() && colons == 1)
        return ParseNetAddress(host, &problem);
    if (colons == 1) {
        problem = apBadForm;
        return std::nullopt;
    }
    if ((problem = CheckNetHost(host)) != apNone)
        return std::nullopt;
    if (!port.empty() && (problem = CheckNetPort(port)) != apNone)
        return std::nullopt;
    return TNetAddress{host,
                       port.empty() ? DefaultNetPort : static_cast<std::uint16_t>(std::stoi(port))};
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
            FResult->setText(QStringLiteral("NET：尚未設定印表機的位址。"));
            return;
        }
        FResult->setText(QStringLiteral("NET (") + Q(NetAddressText(*address)) +
                         QStringLiteral(")：連線中…"));
        setEnabled(false);
        r = ProbeNet(*address, FPorts.Net().Lookup(), &FCancel);
        setEnabled(true);
        what = QStringLiteral("NET (") + Q(NetAddressText(*address)) + QStringLiteral(")：");
        what += r.Ok ? QStringLiteral("連線並中斷成功，沒有送出任何資料。")
                     : QStringLiteral("無法連線 — ") + Q(r.Reason) + QStringLiteral("。");
    } else {
        r = IsSerial(name) ? ProbeSerial(name.toStdString(), target)
                           : ProbeParallel(name.toStdString(), target);
        what = name + QStringLiteral(" (") + Q(target) + QStringLiteral(")：");
        what += r.Ok ? QStringLiteral("開啟並關閉成功，沒有送出任何資料。")
                     : QStringLiteral("無法開啟 — ") + Q(r.Reason) + QStringLiteral("。");
    }
    if (!r.Hint.empty())
        what += QStringLiteral("\n建議：") + Q(r.Hint);
    FResult->setText(what);
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
