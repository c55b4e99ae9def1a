// "測試頁": a page goes out whole in one port cycle, exactly the bytes its preview draws and
// dated when printed; line-mode sets mark the pages and send nothing; the dialog is worked by
// keyboard alone.
#include "PagesDialog/TestPagesDialog.h"
#include "FormFixture.h"
#include "Loopback.h"
#include "PagesDialog/PageOptionsPanel.h"
#include "TestPages/Preview.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QTimer>

namespace {

class TestPagesTest : public FormTest {
  protected:
    std::unique_ptr<TTestPagesDialog> Dialog(TCommandSet set = csEPSON) {
        return std::make_unique<TTestPagesDialog>(
            set, QStringLiteral("測試頁"),
            [this](const std::string& bytes) { form().SendTestPage(bytes); },
            [this] { return form().Now(); }, &form());
    }
    static void Choose(TTestPagesDialog& dialog, TTestPage page) {
        dialog.Pages()->setCurrentRow(page);
    }
    static TPageOptions At(const QDateTime& when, int width = 384) {
        TPageOptions options;
        options.WidthDots = width;
        options.Invoice.When = when;
        return options;
    }
    static QWidget* Focus() { return QApplication::focusWidget(); }
};

} // namespace

TEST_F(TestPagesTest, APageGoesOutWholeInOneCycleAsPreviewedAndDatedWhenPrinted) {
    LoopbackListener printer;
    form().Ports().Net().SetAddress(TNetAddress{"127.0.0.1", printer.Port()});
    Port(6);
    auto dialog = Dialog();
    Choose(*dialog, tpEInvoice);
    // Fill in what the page needs in the options: a random code of the test's own.
    dialog->OptionsPanel()->Field("RandomCode")->setText("0042");
    const QDateTime printed(QDate(2026, 12, 31), QTime(23, 59, 58));
    form().Now = [printed] { return printed; };
    dialog->Print();
    const std::vector<std::string> cycles = printer.Connections(1);
    ASSERT_EQ(cycles.size(), 1u);
    TPageOptions options = At(printed);
    options.Invoice.RandomCode = "0042";
    const std::string page = EncodePage(csEPSON, tpEInvoice, options).Bytes;
    EXPECT_GT(page.size(), 255u);
    EXPECT_EQ(cycles[0], page);
    EXPECT_EQ(dialog->Bytes(), page);
    EXPECT_EQ(dialog->Preview(), PreviewImage(csEPSON, page, 384));
    EXPECT_TRUE(rec_.Texts().isEmpty()) << rec_.Texts().join('|').toStdString();
    // No second cycle came.
    EXPECT_EQ(printer.Connections(2, 300).size(), 1u);
}

TEST_F(TestPagesTest, OptionsRebuildWhatIsPreviewedAndWhatCannotPrintSaysWhy) {
    auto dialog = Dialog();
    Choose(*dialog, tpQrCodes);
    dialog->OptionsPanel()->QrModule()->setValue(8);
    dialog->PaperWidth()->setCurrentIndex(1);
    TPageOptions options = At(form().Now(), 576);
    options.QrModule = 8;
    EXPECT_EQ(dialog->Bytes(), EncodePage(csEPSON, tpQrCodes, options).Bytes);
    EXPECT_EQ(dialog->Preview(), PreviewImage(csEPSON, dialog->Bytes(), 576));

    Choose(*dialog, tpEInvoice);
    QLineEdit* key = dialog->OptionsPanel()->Field("Key");
    EXPECT_EQ(key->echoMode(), QLineEdit::Password);
    key->setText("0123");
    EXPECT_FALSE(dialog->PrintButton()->isEnabled());
    EXPECT_TRUE(dialog->Bytes().empty());
    EXPECT_EQ(dialog->Note()->text(), "無法列印：the QR key is 32 hexadecimal digits");
    key->setText("00112233445566778899AABBCCDDEEFF");
    EXPECT_TRUE(dialog->PrintButton()->isEnabled());
    EXPECT_FALSE(dialog->Bytes().empty());
    dialog->OptionsPanel()->Field("SellerId")->setText("123");
    EXPECT_EQ(dialog->Note()->text(), "無法列印：the seller ID is 8 digits");
}

TEST_F(TestPagesTest, LineModeSetsMarkEveryPageAndPrintSaysSoInsteadOfSending) {
    Port(4);
    for (const TCommandSet set : {csSTART, csTP3688}) {
        const QString mode = CommandSetName(set);
        auto dialog = Dialog(set);
        ASSERT_EQ(dialog->Pages()->count(), TestPageCount);
        for (int i = 0; i < TestPageCount; ++i)
            EXPECT_TRUE(dialog->Pages()->item(i)->text().endsWith("（" + mode + " 不能列印）"));
        Choose(*dialog, tpRuler);
        rec_.Clear();
        dialog->Print();
        ASSERT_EQ(rec_.Messages().size(), 1u);
        EXPECT_EQ(rec_.Messages()[0].kind, MessageKind::Error);
        EXPECT_EQ(rec_.Messages()[0].text, "「尺規 (每行字數)」是 ESC/POS (EPSON) 指令的測試頁，" +
                                               mode + " 指令模式的印表機無法列印，沒有送出。");
        EXPECT_EQ(rec_.Messages()[0].details, mode + " has no Chinese mode");
    }
    EXPECT_EQ(Lpt1(), "");
}

TEST_F(TestPagesTest, TheDialogIsWorkedByKeyboardEnterPrintsEscapeCloses) {
    Port(4);
    auto dialog = Dialog();
    dialog->show();
    dialog->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    dialog->Pages()->setFocus(Qt::TabFocusReason);
    for (int i = 0; i < tpEInvoice; ++i)
        QTest::keyClick(Focus(), Qt::Key_Down);
    EXPECT_EQ(dialog->Page(), tpEInvoice);
    // What the operator sees, for a look at it.
    dialog->grab().save(QStringLiteral(VEMIX_BUILD_DIR "/test-pages-dialog.png"));
    // The list, the width, the page's options, the preview and the buttons, round again.
    QStringList chain;
    for (int i = 0; i < 20; ++i) {
        QTest::keyClick(Focus(), Qt::Key_Tab);
        chain << Focus()->objectName();
    }
    EXPECT_EQ(chain.join(' ').toStdString(),
              "PaperWidth SellerName SellerId BuyerId Number RandomCode Total SalesAmount "
              "Item1Name Item1Quantity Item1Price Item2Name Item2Quantity Item2Price Key "
              "Preview Save Print Close Pages");
    QTest::keyClick(Focus(), Qt::Key_Return);
    EXPECT_EQ(Lpt1(), dialog->Bytes());
    EXPECT_TRUE(dialog->isVisible());
    QTest::keyClick(Focus(), Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(rec_.Texts().isEmpty()) << rec_.Texts().join('|').toStdString();
}

TEST_F(TestPagesTest, OnAScreenTooSmallForItTheDialogScrollsAndKeepsItsButtonsInView) {
    auto dialog = Dialog();
    dialog->show();
    const QRect screen = dialog->screen()->availableGeometry();
    for (int page = 0; page < TestPageCount; ++page) {
        Choose(*dialog, static_cast<TTestPage>(page));
        QApplication::processEvents();
        EXPECT_LE(dialog->width(), screen.width()) << page;
        EXPECT_LE(dialog->height(), screen.height()) << page;
        EXPECT_LE(dialog->minimumSizeHint().width(), screen.width()) << page;
        for (const QPushButton* button :
             {dialog->SaveButton(), dialog->PrintButton(), dialog->CloseButton()})
            EXPECT_TRUE(dialog->rect().contains(
                QRect(button->mapTo(dialog.get(), QPoint()), button->size())))
                << page << " " << button->objectName().toStdString();
    }
}

TEST_F(TestPagesTest, TheButtonOpensTheDialogForTheChosenModeAndPort) {
    Port(4);
    QString title;
    QTimer::singleShot(0, [&title] {
        if (auto* dialog = qobject_cast<TTestPagesDialog*>(QApplication::activeModalWidget())) {
            title = dialog->windowTitle();
            dialog->reject();
        }
    });
    form().Button_TestPages->click();
    EXPECT_EQ(title, "測試頁 (EPSON指令) --> LPT1");
    EXPECT_EQ(form().Button_TestPages->text(), "測試頁…");
}
