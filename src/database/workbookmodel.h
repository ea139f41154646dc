#pragma once

#include "database/spreadsheetml.h"
#include "database/workbook.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QFont>
#include <QUndoStack>

#include <optional>
#include <vector>

namespace gravik {

// The active worksheet of a workbook as a table model, served cell by cell:
// no item is kept per cell, so a view over ten thousand rows stays light.
// Holds the whole workbook, so export writes every sheet.
class WorkbookModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Role {
        BordersRole = Qt::UserRole + 1, // int: the sides below
        BorderColorRole,                // QColor
        WrapRole,                       // bool: the style wraps its text
    };
    enum Side { LeftSide = 1, TopSide = 2, RightSide = 4, BottomSide = 8 };

    // Empty rows and columns offered beyond what the sheet uses.
    static constexpr int SpareRows = 100;
    static constexpr int MinColumns = 26;
    static constexpr double FallbackColumnWidth = 48.0; // points
    static constexpr double FallbackRowHeight = 12.75;
    // The most of a cell's text a view is given to show (the display role):
    // as much as a spreadsheet cell holds. Edits and saving see it whole.
    static constexpr qsizetype ShownCharacters = 32767;

    // Starts with the database's built-in content.
    explicit WorkbookModel(QObject *parent = nullptr);
    ~WorkbookModel() override;

    const Workbook &workbook() const { return m_book; }
    const Worksheet &activeSheet() const { return *m_book.active(); }
    // Replaces the whole content; the model counts as unmodified.
    void setWorkbook(Workbook book);

    // Replaces the content with the file's; on failure nothing changes.
    bool load(const QString &path, spreadsheetml::Error *error = nullptr);
    bool exportTo(const QString &path, QString *error = nullptr) const;

    // A cell of the active sheet as text (1-based); empty when there is none.
    QString cellText(int row, int column) const;
    // Writes a text into a cell of the named sheet, keeping its style and merge.
    // False when there is no such sheet or the reference is not an A1 reference.
    // Not an edit of the operator's: the model's modified state stays.
    bool writeCell(const QString &sheetName, const QString &a1, const QString &text);

    // Operator edits of many cells at once, each one step: one change for the
    // views, one for the modified state, one to undo. setTexts writes rows of
    // texts from a cell on (1-based), cut at the sheet's edge; clearCells
    // empties cells of this model. False when no cell changed.
    bool setTexts(int row, int column, const QList<QStringList> &rows);
    bool clearCells(const QModelIndexList &cells);

    // The operator's edits, deletes and pastes, a step each. A new workbook
    // empties it; undone back to the loaded or saved content, the model is
    // unmodified again.
    QUndoStack &history() { return m_history; }

    // Edits and imports not yet saved.
    bool isModified() const { return !m_history.isClean(); }
    void setModified(bool modified);

    double columnWidthPoints(int column) const; // 1-based
    double rowHeightPoints(int row) const;      // 0: the default height
    double defaultRowHeightPoints() const;
    std::vector<Merge> merges() const { return activeSheet().merges(); }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

signals:
    void modifiedChanged(bool modified);

private:
    struct Look {
        QFont font;
        QColor foreground, background, borderColor;
        Qt::Alignment horizontal, vertical;
        int borders = 0;
        bool wrap = false;
    };
    const Look &look(int style) const;
    // One cell of an edit step: what it held and what it holds after.
    struct CellChange {
        int row, column;
        QString before, after;
        CellType beforeType, afterType;
    };
    class EditStep;
    void updateExtent();
    void grow(int row, int column);
    // How an edit changes a cell; nothing when the cell would stay as it is.
    std::optional<CellChange> changeOf(int row, int column, const QString &text) const;
    bool record(std::vector<CellChange> changes);
    void apply(const std::vector<CellChange> &changes, bool after);

    Workbook m_book;
    int m_rows = 0, m_columns = 0;
    QUndoStack m_history;
    int m_defaultStyle = -1;
    mutable std::vector<std::optional<Look>> m_looks; // [style + 1]
};

} // namespace gravik
