#pragma once
// "測試頁": the test pages, each previewed as the paper view draws the very bytes 列印 sends on
// the port and in the command set chosen in the main window.
#include "Commands/CommandSet.h"
#include "TestPages/TestPage.h"

#include <QDateTime>
#include <QDialog>
#include <QImage>
#include <functional>
#include <string>

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QScrollArea;
class TPageOptionsPanel;

class TTestPagesDialog : public QDialog {
    Q_OBJECT
  public:
    using TSend = std::function<void(const std::string& bytes)>;
    using TClock = std::function<QDateTime()>;

    // set: the main window's command set; title names it and the port; send puts a page on
    // that port; now is the moment a page is dated when it is printed.
    TTestPagesDialog(TCommandSet set, const QString& title, TSend send, TClock now,
                     QWidget* parent = nullptr);

    // The parts, for the keyboard and for tests.
    QListWidget* Pages() const { return FPages; }
    QComboBox* PaperWidth() const { return FWidth; }
    TPageOptionsPanel* OptionsPanel() const { return FOptions; }
    QScrollArea* PreviewArea() const { return FPreviewArea; }
    QPushButton* SaveButton() const { return FSave; }
    QPushButton* PrintButton() const { return FPrint; }
    QPushButton* CloseButton() const { return FClose; }
    QLabel* Note() const { return FNote; }

    TTestPage Page() const;
    // What 列印 sends now, and the picture the preview draws of exactly those bytes.
    const std::string& Bytes() const { return FBytes; }
    const QImage& Preview() const { return FPreview; }

    // Sends the page, dated now; in a set that cannot print it, says so instead.
    void Print();
    // Writes the preview as a PNG where the operator says.
    void SavePreview();
    // Builds the page from the options and draws it.
    void Rebuild();

  private:
    void BuildList();
    // The list, width and options on the left, the preview on the right, the buttons below.
    void Arrange();
    void KeepOnScreen();
    QWidget* Controls();
    void SetTabChain();
    TPageOptions Options() const;

    TCommandSet FSet;
    TSend FSend;
    TClock FNow;
    QListWidget* FPages;
    QComboBox* FWidth;
    TPageOptionsPanel* FOptions;
    QScrollArea* FContent; // the list, the options and the preview: scrolls on a small screen
    QScrollArea* FPreviewArea;
    QLabel* FPreviewLabel;
    QLabel* FNote;
    QPushButton* FSave;
    QPushButton* FPrint;
    QPushButton* FClose;
    std::string FBytes;
    QImage FPreview;
    QDateTime FWhen;
};
