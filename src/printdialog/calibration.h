#pragma once

#include "core/printeroffsets.h"

#include <QDialog>

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;

namespace gravik {

class PrintDialog;

// A printer's own offset: the printers of this machine, and the X and Y (mm)
// the chosen one moves its pages by. Save writes data/printers.txt, keeping
// the lines of printers this machine does not have.
class PrinterOffsetWindow : public QDialog
{
    Q_OBJECT
public:
    explicit PrinterOffsetWindow(QWidget *parent);

    // Reads the file again and shows the default printer's offset.
    void reload();
    void applyLanguage(const QString &code);

    QComboBox *printerBox() const { return m_printer; }
    QDoubleSpinBox *xBox() const { return m_x; }
    QDoubleSpinBox *yBox() const { return m_y; }
    QPushButton *saveButton() const { return m_save; }
    QPushButton *cancelButton() const { return m_cancel; }

    // Writes the file; false (and a message) when it could not be written.
    bool save();

private:
    void showPrinter();
    void keepEdit();

    PrinterOffsets m_offsets;
    QComboBox *m_printer = nullptr;
    QDoubleSpinBox *m_x = nullptr;
    QDoubleSpinBox *m_y = nullptr;
    QLabel *m_printerLabel = nullptr, *m_xLabel = nullptr, *m_yLabel = nullptr;
    QPushButton *m_save = nullptr, *m_cancel = nullptr;
    bool m_showing = false;
};

// The print dialog's calibration entries beside its print button: Image8
// prints the test page of the dialog's certificate on the default
// printer, Image9 opens the offset window (object name "PrinterOffset").
void attachCalibration(PrintDialog &dialog);

} // namespace gravik
