#pragma once

#include <QStyledItemDelegate>
#include <QTableView>

namespace gravik {

class WorkbookModel;

// Draws a cell as its style says, with its borders instead of the grid line
// where it has them.
class CellDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    // Cell editors keep to the code page as every other box of the program does.
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;
    // Ctrl+Tab in a cell editor leaves the grid rather than the cell.
    bool eventFilter(QObject *editor, QEvent *event) override;
};

// The database grid: an editable view of the workbook's active sheet with its
// column widths, row heights and merged cells. No toolbar, no sheet tabs.
class SpreadsheetView : public QTableView
{
    Q_OBJECT
public:
    SpreadsheetView(WorkbookModel *model, QWidget *parent = nullptr);

    WorkbookModel *workbookModel() const { return m_model; }

    // Takes a size in twips; a negative width or height is refused (false)
    // and the size stays.
    bool setSizeTwips(int width, int height);
    QSize sizeTwips() const;

    // The operator's block edits, also on Delete, Ctrl+C and Ctrl+V: the
    // selection emptied, the selection as tab-separated text on the clipboard,
    // the clipboard's tab-separated text from the current cell on. Ctrl+Z and
    // Ctrl+Shift+Z take edits back and redo them.
    void clearSelectedCells();
    void copySelection() const;
    void paste();
    // Ends an edit in progress, keeping what was typed.
    void commitEdit();

    // Tab moves between cells; Ctrl+Tab and Ctrl+Shift+Tab move to the
    // window's next and previous control, as in Qt's own item views.
    static bool leavesGrid(const QKeyEvent *e, bool *forward = nullptr);

protected:
    void keyPressEvent(QKeyEvent *e) override;
    // Return ends an edit and moves down, as in a spreadsheet.
    void closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    void applyLayout();
    void moveDown();
    QModelIndexList selectedCells() const; // the current cell when none is selected

    WorkbookModel *m_model;
};

} // namespace gravik
