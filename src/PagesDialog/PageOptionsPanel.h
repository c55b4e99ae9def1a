#pragma once
// The options of each test page, one panel a page: what the operator can choose before the
// page is previewed and printed.
#include "TestPages/TestPage.h"

#include <QStackedWidget>
#include <map>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

class TPageOptionsPanel : public QStackedWidget {
    Q_OBJECT
  public:
    explicit TPageOptionsPanel(QWidget* parent = nullptr);

    void Show(TTestPage page);
    // The options as they stand (the paper width and the date are the dialog's).
    TPageOptions Options() const;
    // What the options lack that they cannot say themselves (a QR key typed only in part), or
    // "".
    std::string Problem(TTestPage page) const;
    // Every option control, in the order Tab runs through them.
    QList<QWidget*> Controls() const { return FControls; }

    // The image page's picture, from a file the operator picked; a null one: the built-in.
    void SetPicture(const QImage& picture, const QString& name);
    // Asks for a PNG or JPEG file and takes it.
    void PickPicture();

    // The parts, by what they set.
    QSpinBox* Big5Lead() const { return FBig5Lead; }
    QSpinBox* CodeTable() const { return FCodeTable; }
    QComboBox* ModuleWidth() const { return FModuleWidth; }
    QSpinBox* QrModule() const { return FQrModule; }
    QComboBox* QrLevel() const { return FQrLevel; }
    QComboBox* SelfTestType() const { return FSelfTest; }
    // The e-invoice's fields by name: "SellerName", "SellerId", "BuyerId", "Number",
    // "RandomCode", "Total", "SalesAmount", "Item1Name"... "Item2Price", "Key".
    QLineEdit* Field(const QString& name) const;

  signals:
    void Changed();

  private:
    QWidget* Page(const QString& note = {});
    template <class T> T* Control(T* control);
    QWidget* NoOptions();
    QWidget* ChineseOptions();
    QWidget* CodePageOptions();
    QWidget* BarcodeOptions();
    QWidget* QrOptions();
    QWidget* ImageOptions();
    QWidget* EInvoiceOptions();
    QWidget* SelfTestOptions();
    QLineEdit* Edit(const QString& name, const QString& text, const QString& pattern);
    TEInvoice Invoice() const;

    QList<QWidget*> FControls;
    QSpinBox* FBig5Lead = nullptr;
    QSpinBox* FCodeTable = nullptr;
    QLabel* FCodeTableName = nullptr;
    QComboBox* FModuleWidth = nullptr;
    QSpinBox* FQrModule = nullptr;
    QComboBox* FQrLevel = nullptr;
    QLabel* FPictureName = nullptr;
    QImage FPicture;
    QComboBox* FSelfTest = nullptr;
    std::map<QString, QLineEdit*> FFields;
};
