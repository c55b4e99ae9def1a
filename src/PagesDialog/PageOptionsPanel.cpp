#include "PagesDialog/PageOptionsPanel.h"

#include "Commands/CodeTables.h"
#include "Rtl/Application.h"
#include "Rtl/Messages.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>

namespace {

long long Amount(const QLineEdit* edit, long long none) {
    bool ok = false;
    const long long value = edit->text().trimmed().toLongLong(&ok);
    return ok ? value : none;
}

QString CodeTableName(int n) {
    const std::optional<std::string_view> name = CodeTablePage(static_cast<std::uint8_t>(n));
    return name ? QString::fromLatin1(name->data(), static_cast<qsizetype>(name->size()))
                : QStringLiteral("（沒有對應的字碼頁）");
}

} // namespace

TPageOptionsPanel::TPageOptionsPanel(QWidget* parent) : QStackedWidget(parent) {
    // Room for the e-invoice's fields at the window's fonts.
    setMinimumWidth(fontMetrics().averageCharWidth() * 44);
    // One panel a page, in the pages' order.
    addWidget(NoOptions());
    addWidget(NoOptions());
    addWidget(ChineseOptions());
    addWidget(CodePageOptions());
    addWidget(BarcodeOptions());
    addWidget(QrOptions());
    addWidget(ImageOptions());
    addWidget(EInvoiceOptions());
    addWidget(SelfTestOptions());
}

void TPageOptionsPanel::Show(TTestPage page) {
    setCurrentIndex(page);
}

QWidget* TPageOptionsPanel::Page(const QString& note) {
    auto* page = new QWidget(this);
    auto* form = new QFormLayout(page);
    form->setContentsMargins(0, 0, 0, 0);
    if (!note.isEmpty()) {
        auto* label = new QLabel(note, page);
        label->setWordWrap(true);
        form->addRow(label);
    }
    return page;
}

template <class T> T* TPageOptionsPanel::Control(T* control) {
    FControls.push_back(control);
    if constexpr (std::is_base_of_v<QSpinBox, T>)
        connect(control, &QSpinBox::valueChanged, this, &TPageOptionsPanel::Changed);
    else if constexpr (std::is_base_of_v<QComboBox, T>)
        connect(control, &QComboBox::currentIndexChanged, this, &TPageOptionsPanel::Changed);
    else if constexpr (std::is_base_of_v<QLineEdit, T>)
        connect(control, &QLineEdit::textChanged, this, &TPageOptionsPanel::Changed);
    return control;
}

QWidget* TPageOptionsPanel::NoOptions() {
    return Page(QStringLiteral("這一頁沒有選項。"));
}

QWidget* TPageOptionsPanel::ChineseOptions() {
    QWidget* page = Page();
    FBig5Lead = Control(new QSpinBox(page));
    FBig5Lead->setObjectName("Big5Lead");
    FBig5Lead->setDisplayIntegerBase(16);
    FBig5Lead->setPrefix(QStringLiteral("0x"));
    FBig5Lead->setRange(0x81, 0xFE);
    FBig5Lead->setValue(0xA4);
    static_cast<QFormLayout*>(page->layout())->addRow(QStringLiteral("字表的首位元組"), FBig5Lead);
    return page;
}

QWidget* TPageOptionsPanel::CodePageOptions() {
    QWidget* page = Page();
    FCodeTable = Control(new QSpinBox(page));
    FCodeTable->setObjectName("CodeTable");
    FCodeTable->setRange(0, 255);
    FCodeTableName = new QLabel(CodeTableName(0), page);
    connect(FCodeTable, &QSpinBox::valueChanged, this,
            [this](int n) { FCodeTableName->setText(CodeTableName(n)); });
    auto* form = static_cast<QFormLayout*>(page->layout());
    form->addRow(QStringLiteral("ESC t n"), FCodeTable);
    form->addRow(QString(), FCodeTableName);
    return page;
}

QWidget* TPageOptionsPanel::BarcodeOptions() {
    QWidget* page = Page();
    FModuleWidth = Control(new QComboBox(page));
    FModuleWidth->setObjectName("ModuleWidth");
    FModuleWidth->addItems({QStringLiteral("2 點"), QStringLiteral("3 點")});
    static_cast<QFormLayout*>(page->layout())->addRow(QStringLiteral("模組寬度"), FModuleWidth);
    return page;
}

QWidget* TPageOptionsPanel::QrOptions() {
    QWidget* page = Page();
    FQrModule = Control(new QSpinBox(page));
    FQrModule->setObjectName("QrModule");
    FQrModule->setRange(3, 8);
    FQrModule->setValue(4);
    FQrModule->setSuffix(QStringLiteral(" 點"));
    FQrLevel = Control(new QComboBox(page));
    FQrLevel->setObjectName("QrLevel");
    FQrLevel->addItems({QStringLiteral("L (7%)"), QStringLiteral("M (15%)"),
                        QStringLiteral("Q (25%)"), QStringLiteral("H (30%)")});
    FQrLevel->setCurrentIndex(1);
    auto* form = static_cast<QFormLayout*>(page->layout());
    form->addRow(QStringLiteral("模組大小"), FQrModule);
    form->addRow(QStringLiteral("容錯等級"), FQrLevel);
    return page;
}

QWidget* TPageOptionsPanel::ImageOptions() {
    QWidget* page = Page(QStringLiteral("內建圖樣是灰階漸層與線條；也可以選一個 PNG 或 JPEG "
                                        "圖檔，縮放成紙寬後以誤差擴散轉成黑點。"));
    auto* pick = Control(new QPushButton(QStringLiteral("選擇圖檔…"), page));
    pick->setObjectName("PickPicture");
    auto* builtIn = Control(new QPushButton(QStringLiteral("內建圖樣"), page));
    builtIn->setObjectName("BuiltInPicture");
    // Enter in the dialog prints; these take Space and clicks.
    pick->setAutoDefault(false);
    builtIn->setAutoDefault(false);
    connect(pick, &QPushButton::clicked, this, [this] { Guarded([this] { PickPicture(); }); });
    connect(builtIn, &QPushButton::clicked, this, [this] { SetPicture({}, {}); });
    FPictureName = new QLabel(QStringLiteral("內建圖樣"), page);
    FPictureName->setObjectName("PictureName");
    auto* row = new QHBoxLayout;
    row->addWidget(pick);
    row->addWidget(builtIn);
    auto* form = static_cast<QFormLayout*>(page->layout());
    form->addRow(row);
    form->addRow(QStringLiteral("圖像"), FPictureName);
    return page;
}

QLineEdit* TPageOptionsPanel::Edit(const QString& name, const QString& text,
                                   const QString& pattern) {
    auto* edit = Control(new QLineEdit(text, this));
    edit->setObjectName(name);
    if (!pattern.isEmpty())
        edit->setValidator(new QRegularExpressionValidator(QRegularExpression(pattern), edit));
    FFields[name] = edit;
    return edit;
}

QWidget* TPageOptionsPanel::EInvoiceOptions() {
    QWidget* page = Page();
    auto* form = static_cast<QFormLayout*>(page->layout());
    const TEInvoice sample = SampleInvoice();
    form->addRow(QStringLiteral("賣方名稱"), Edit("SellerName", sample.SellerName, {}));
    form->addRow(QStringLiteral("賣方統編"), Edit("SellerId", sample.SellerId, "\\d{0,8}"));
    form->addRow(QStringLiteral("買方統編"), Edit("BuyerId", {}, "\\d{0,8}"));
    form->addRow(QStringLiteral("發票號碼"),
                 Edit("Number", InvoiceNumberText(sample), "[A-Za-z]{0,2}-?\\d{0,8}"));
    form->addRow(QStringLiteral("隨機碼"), Edit("RandomCode", RandomCode(), "\\d{0,4}"));
    form->addRow(QStringLiteral("總計"), Edit("Total", {}, "\\d{0,10}"));
    form->addRow(QStringLiteral("銷售額"), Edit("SalesAmount", {}, "\\d{0,10}"));
    FFields["Total"]->setPlaceholderText(QStringLiteral("品項合計"));
    FFields["SalesAmount"]->setPlaceholderText(QStringLiteral("總計扣除 5% 營業稅"));
    for (int i = 0; i < 2; ++i) {
        const QString item = QStringLiteral("Item%1").arg(i + 1);
        const TEInvoiceItem& sampleItem = sample.Items[static_cast<std::size_t>(i)];
        auto* row = new QHBoxLayout;
        row->addWidget(Edit(item + "Name", sampleItem.Name, "[^:]*"), 3);
        row->addWidget(Edit(item + "Quantity", QString::number(sampleItem.Quantity), "\\d{0,8}"),
                       1);
        row->addWidget(Edit(item + "Price", QString::number(sampleItem.Price), "\\d{0,8}"), 1);
        FFields[item + "Name"]->setPlaceholderText(QStringLiteral("品名"));
        FFields[item + "Quantity"]->setPlaceholderText(QStringLiteral("數量"));
        FFields[item + "Price"]->setPlaceholderText(QStringLiteral("單價"));
        form->addRow(QStringLiteral("品項 %1").arg(i + 1), row);
    }
    QLineEdit* key = Edit("Key", {}, "[0-9A-Fa-f]{0,32}");
    // The seller's key is a secret: not shown, not kept when the dialog closes.
    key->setEchoMode(QLineEdit::Password);
    key->setPlaceholderText(QStringLiteral("32 位十六進位；空白：測試金鑰"));
    form->addRow(QStringLiteral("QR 金鑰"), key);
    return page;
}

QWidget* TPageOptionsPanel::SelfTestOptions() {
    QWidget* page = Page(QStringLiteral("印表機印完自我測試後會自行重設 (reset)："
                                        "之前的設定都會恢復成預設值。"));
    FSelfTest = Control(new QComboBox(page));
    FSelfTest->setObjectName("SelfTestType");
    FSelfTest->addItems({QStringLiteral("1 十六進位傾印"), QStringLiteral("2 印表機狀態"),
                         QStringLiteral("3 滾動圖樣")});
    FSelfTest->setCurrentIndex(1);
    static_cast<QFormLayout*>(page->layout())->addRow(QStringLiteral("測試"), FSelfTest);
    return page;
}

std::string TPageOptionsPanel::Problem(TTestPage page) const {
    // A key not yet whole is no key: the sample cannot be printed until it is.
    std::array<unsigned char, 16> key{};
    const QString typed = Field("Key")->text();
    if (page == tpEInvoice && !typed.isEmpty() && !ParseQrKey(typed, key))
        return "the QR key is 32 hexadecimal digits";
    return {};
}

QLineEdit* TPageOptionsPanel::Field(const QString& name) const {
    const auto found = FFields.find(name);
    return found == FFields.end() ? nullptr : found->second;
}

TEInvoice TPageOptionsPanel::Invoice() const {
    TEInvoice invoice = SampleInvoice();
    invoice.SellerName = Field("SellerName")->text().trimmed();
    invoice.SellerId = Field("SellerId")->text();
    invoice.BuyerId = Field("BuyerId")->text();
    QString number = Field("Number")->text().toUpper();
    number.remove('-');
    invoice.Letters = number.left(2);
    invoice.Number = number.mid(2);
    invoice.RandomCode = Field("RandomCode")->text();
    invoice.Total = Amount(Field("Total"), -1);
    invoice.SalesAmount = Amount(Field("SalesAmount"), -1);
    invoice.Items.clear();
    for (const QString& item : {QStringLiteral("Item1"), QStringLiteral("Item2")}) {
        const QString name = Field(item + "Name")->text().trimmed();
        if (!name.isEmpty())
            invoice.Items.push_back(
                {name, Amount(Field(item + "Quantity"), 0), Amount(Field(item + "Price"), -1)});
    }
    const QString key = Field("Key")->text();
    invoice.TestKey = key.isEmpty();
    if (!invoice.TestKey)
        ParseQrKey(key, invoice.Key);
    return invoice;
}

TPageOptions TPageOptionsPanel::Options() const {
    TPageOptions options;
    options.Big5Lead = static_cast<std::uint8_t>(FBig5Lead->value());
    options.CodeTable = static_cast<std::uint8_t>(FCodeTable->value());
    options.ModuleWidth = FModuleWidth->currentIndex() + 2;
    options.QrModule = FQrModule->value();
    options.QrLevel = FQrLevel->currentIndex();
    options.Image = FPicture;
    options.Invoice = Invoice();
    options.SelfTestType = FSelfTest->currentIndex() + 1;
    return options;
}

void TPageOptionsPanel::SetPicture(const QImage& picture, const QString& name) {
    FPicture = picture;
    FPictureName->setText(picture.isNull() ? QStringLiteral("內建圖樣") : name);
    emit Changed();
}

void TPageOptionsPanel::PickPicture() {
    const QString file = QFileDialog::getOpenFileName(this, QStringLiteral("選擇圖檔"), QString(),
                                                      QStringLiteral("圖檔 (*.png *.jpg *.jpeg)"),
                                                      nullptr, QFileDialog::DontUseNativeDialog);
    if (file.isEmpty())
        return;
    QImageReader reader(file);
    const QImage picture = reader.read();
    if (picture.isNull()) {
        ShowError(QStringLiteral("無法讀取圖檔 ") + file, reader.errorString());
        return;
    }
    SetPicture(picture, QFileInfo(file).fileName());
}
