#include "PagesDialog/TestPagesDialog.h"

#include "Receipt/Paper.h"

#include "PagesDialog/PageOptionsPanel.h"
#include "Rtl/Application.h"
#include "Rtl/Messages.h"
#include "TestPages/Preview.h"

#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {

// The pages as the list names them, in their order.
const QStringList& Captions() {
    static const QStringList captions{
        QStringLiteral("尺規 (每行字數)"),
        QStringLiteral("字體樣式"),
        QStringLiteral("中文 (Big5)"),
        QStringLiteral("字碼表 (ESC t)"),
        QStringLiteral("條碼"),
        QStringLiteral("QR Code"),
        QStringLiteral("圖像"),
        QStringLiteral("電子發票證明聯"),
        QStringLiteral("印表機自我測試"),
    };
    return captions;
}

QString Mode(TCommandSet set) {
    return QString::fromLatin1(CommandSetName(set));
}

} // namespace

TTestPagesDialog::TTestPagesDialog(TCommandSet set, const QString& title, TSend send, TClock now,
                                   QWidget* parent)
    : QDialog(parent), FSet(set), FSend(std::move(send)), FNow(std::move(now)),
      FPages(new QListWidget(this)), FWidth(new QComboBox(this)),
      FOptions(new TPageOptionsPanel(this)), FContent(new QScrollArea(this)),
      FPreviewArea(new QScrollArea(this)), FPreviewLabel(new QLabel(this)), FNote(new QLabel(this)),
      FSave(new QPushButton(QStringLiteral("存成圖檔…"), this)),
      FPrint(new QPushButton(QStringLiteral("列印"), this)),
      FClose(new QPushButton(QStringLiteral("關閉"), this)), FWhen(FNow()) {
    setWindowTitle(title);
    FPages->setObjectName("Pages");
    FWidth->setObjectName("PaperWidth");
    FWidth->addItems({QStringLiteral("58 mm (384 點)"), QStringLiteral("80 mm (576 點)")});
    FPreviewArea->setObjectName("Preview");
    FPreviewArea->setWidget(FPreviewLabel);
    FPreviewArea->setFocusPolicy(Qt::StrongFocus);
    FPreviewLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    FNote->setObjectName("Note");
    FNote->setWordWrap(true);
    FSave->setObjectName("Save");
    FPrint->setObjectName("Print");
    FClose->setObjectName("Close");
    // Enter anywhere in the dialog prints (a focused button is pressed by it instead).
    FPrint->setDefault(true);
    FSave->setAutoDefault(false);
    BuildList();
    Arrange();
    connect(FPages, &QListWidget::currentRowChanged, this, [this] { Rebuild(); });
    connect(FWidth, &QComboBox::currentIndexChanged, this, [this] { Rebuild(); });
    connect(FOptions, &TPageOptionsPanel::Changed, this, [this] { Rebuild(); });
    connect(FPrint, &QPushButton::clicked, this, [this] { Guarded([this] { Print(); }); });
    connect(FSave, &QPushButton::clicked, this, [this] { Guarded([this] { SavePreview(); }); });
    connect(FClose, &QPushButton::clicked, this, &QDialog::reject);
    SetTabChain();
    // The keyboard starts at the list.
    FPages->setFocus();
    FPages->setCurrentRow(0);
    Rebuild();
    KeepOnScreen();
}

// Within the screen's free area, whatever the fonts and the scale: what does not fit scrolls,
// and the buttons stay in view.
void TTestPagesDialog::KeepOnScreen() {
    const QScreen* on = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!on)
        return;
    const QSize room = on->availableGeometry().size() * 0.9;
    // The 80 mm preview whole, where the screen has room for it.
    const int bar = FPreviewArea->verticalScrollBar()->sizeHint().width();
    FPreviewArea->setMinimumWidth(std::min(TPaper::Width80 + bar + 4, room.width() / 2));
    const QSize content = FContent->widget()->sizeHint() + QSize(2 * bar, 2 * bar);
    const QSize want(content.width() + 24, content.height() + FPrint->sizeHint().height() + 36);
    setMaximumSize(on->availableGeometry().size());
    resize(want.expandedTo(QSize(0, 560)).boundedTo(room));
}

void TTestPagesDialog::Arrange() {
    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel(QStringLiteral("測試頁"), this));
    left->addWidget(FPages, 1);
    auto* width = new QHBoxLayout;
    width->addWidget(new QLabel(QStringLiteral("紙寬"), this));
    width->addWidget(FWidth, 1);
    left->addLayout(width);
    left->addWidget(Controls());
    auto* inner = new QWidget;
    auto* columns = new QHBoxLayout(inner);
    columns->setContentsMargins(0, 0, 0, 0);
    columns->addLayout(left, 2);
    columns->addWidget(FPreviewArea, 3);
    FContent->setWidget(inner);
    FContent->setWidgetResizable(true);
    FContent->setFrameShape(QFrame::NoFrame);
    FContent->setFocusPolicy(Qt::NoFocus);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(FNote, 1);
    for (QPushButton* b : {FSave, FPrint, FClose})
        buttons->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(FContent, 1);
    layout->addLayout(buttons);
}

void TTestPagesDialog::BuildList() {
    for (int i = 0; i < TestPageCount; ++i) {
        const auto page = static_cast<TTestPage>(i);
        QString caption = Captions()[i];
        // Pages of ESC/POS commands a line-mode printer would print as garbage.
        if (!PagePrintable(FSet, page))
            caption += QStringLiteral("（%1 不能列印）").arg(Mode(FSet));
        FPages->addItem(caption);
    }
}

QWidget* TTestPagesDialog::Controls() {
    auto* box = new QGroupBox(QStringLiteral("選項"), this);
    auto* layout = new QVBoxLayout(box);
    layout->addWidget(FOptions);
    return box;
}

void TTestPagesDialog::SetTabChain() {
    QList<QWidget*> chain{FPages, FWidth};
    chain += FOptions->Controls();
    chain += {FPreviewArea, FSave, FPrint, FClose};
    for (int i = 1; i < chain.size(); ++i)
        setTabOrder(chain[i - 1], chain[i]);
}

TTestPage TTestPagesDialog::Page() const {
    return static_cast<TTestPage>(std::max(0, FPages->currentRow()));
}

TPageOptions TTestPagesDialog::Options() const {
    TPageOptions options = FOptions->Options();
    options.WidthDots = FWidth->currentIndex() == 1 ? 576 : 384;
    options.Invoice.When = FWhen;
    return options;
}

void TTestPagesDialog::Rebuild() {
    const TTestPage page = Page();
    FOptions->Show(page);
    const TPageOptions options = Options();
    std::string problem = FOptions->Problem(page);
    if (problem.empty())
        problem = PageProblem(page, options);
    FBytes.clear();
    FPreview = QImage();
    QString note;
    if (!problem.empty()) {
        note = QStringLiteral("無法列印：") + QString::fromStdString(problem);
    } else if (const TEncoding encoded = EncodePage(FSet, page, options); !encoded.Supported) {
        note = QStringLiteral("%1 指令模式無法列印這一頁。").arg(Mode(FSet));
    } else {
        FBytes = encoded.Bytes;
        FPreview = PreviewImage(FSet, FBytes, options.WidthDots);
        note = QStringLiteral("%1 位元組").arg(FBytes.size());
    }
    FPreviewLabel->setPixmap(QPixmap::fromImage(FPreview));
    FPreviewLabel->adjustSize();
    FNote->setText(note);
    FPrint->setEnabled(problem.empty());
    FSave->setEnabled(!FPreview.isNull());
}

void TTestPagesDialog::Print() {
    const TTestPage page = Page();
    if (!PagePrintable(FSet, page)) {
        const TEncoding refused = EncodePage(FSet, page, Options());
        ShowError(QStringLiteral("「%1」是 ESC/POS (EPSON) 指令的測試頁，%2 指令模式的印表機"
                                 "無法列印，沒有送出。")
                      .arg(Captions()[page], Mode(FSet)),
                  QString::fromStdString(refused.Reason));
        return;
    }
    // Dated the moment it is printed; the preview shows what goes out.
    FWhen = FNow();
    Rebuild();
    if (!FBytes.empty())
        FSend(FBytes);
}

void TTestPagesDialog::SavePreview() {
    const QString file = QFileDialog::getSaveFileName(
        this, QStringLiteral("存成圖檔"), QStringLiteral("%1.png").arg(TestPageName(Page())),
        QStringLiteral("PNG (*.png)"), nullptr, QFileDialog::DontUseNativeDialog);
    if (!file.isEmpty() && !FPreview.save(file, "PNG"))
        ShowError(QStringLiteral("無法寫入圖檔 ") + file);
}
