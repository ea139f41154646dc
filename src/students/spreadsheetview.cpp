#include "students/spreadsheetview.h"

#include "core/cp1251.h"
#include "core/twips.h"
#include "widgets/cp1251guard.h"
#include "database/tabseparated.h"
#include "database/workbookmodel.h"

#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>

#include <limits>

namespace gravik {

namespace {

const QColor kGridLine(208, 215, 229);

int pointsToPixelsX(double pt) { return std::max(1, twips::toPixels(pt * 20.0, twips::screenDpiX())); }
int pointsToPixelsY(double pt) { return std::max(1, twips::toPixels(pt * 20.0, twips::screenDpiY())); }

int bordersAt(const QModelIndex &i)
{
    return i.isValid() ? i.data(WorkbookModel::BordersRole).toInt() : 0;
}

// The start of a text that a box of perLine characters by lines lines can
// show, wrapping as asked: a visual line holds at most perLine characters and
// a logical line takes at least one visual line.
QString fitted(const QString &text, qsizetype perLine, qsizetype lines, bool wrap)
{
    if (!wrap)
        return text.first(std::min(text.size(), perLine));
    qsizetype at = 0;
    for (qsizetype used = 0; at < text.size() && used < lines;) {
        qsizetype end = text.indexOf(u'\n', at);
        if (end < 0)
            end = text.size();
        const qsizetype need = std::max<qsizetype>(1, (end - at + perLine - 1) / perLine);
        if (used + need > lines)
            return text.first(std::min(text.size(), at + (lines - used) * perLine));
        used += need;
        at = end + 1;
    }
    return text.first(std::min(text.size(), at));
}

} // namespace

void CellDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyledItemDelegate::paint(painter, option, index);
    // The view draws no grid: each cell draws its right and bottom edge, dark
    // where it or its neighbour has a border there, and its left and top edge
    // only as a border.
    const int own = bordersAt(index);
    const QRect r = option.rect;
    const QColor border = index.data(WorkbookModel::BorderColorRole).value<QColor>();
    const bool right = (own & WorkbookModel::RightSide)
                       || (bordersAt(index.sibling(index.row(), index.column() + 1)) & WorkbookModel::LeftSide);
    const bool bottom = (own & WorkbookModel::BottomSide)
                        || (bordersAt(index.sibling(index.row() + 1, index.column())) & WorkbookModel::TopSide);
    painter->save();
    painter->setPen(right ? border : kGridLine);
    painter->drawLine(r.topRight(), r.bottomRight());
    painter->setPen(bottom ? border : kGridLine);
    painter->drawLine(r.bottomLeft(), r.bottomRight());
    // A shared edge is drawn once, by the cell left of or above it.
    painter->setPen(border);
    if (index.column() == 0 && (own & WorkbookModel::LeftSide))
        painter->drawLine(r.topLeft(), r.bottomLeft());
    if (index.row() == 0 && (own & WorkbookModel::TopSide))
        painter->drawLine(r.topLeft(), r.topRight());
    painter->restore();
}

QWidget *CellDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                                   const QModelIndex &index) const
{
    QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (auto *line = qobject_cast<QLineEdit *>(editor)) {
        guardCp1251(line);
        // A long cell is edited whole, not cut at the box's usual limit.
        line->setMaxLength(std::numeric_limits<int>::max());
    }
    return editor;
}

bool CellDelegate::eventFilter(QObject *editor, QEvent *event)
{
    // The grid takes it as from itself: the edit is kept, the focus moves on.
    if (event->type() == QEvent::KeyPress && SpreadsheetView::leavesGrid(static_cast<QKeyEvent *>(event)))
        if (auto *view = qobject_cast<SpreadsheetView *>(parent()))
            return QCoreApplication::sendEvent(view, event);
    return QStyledItemDelegate::eventFilter(editor, event);
}

void CellDelegate::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    // Text wraps where its style says so or where it has a line break of its own.
    const bool wrap = index.data(WorkbookModel::WrapRole).toBool() || option->text.contains(u'\n');
    if (wrap)
        option->features |= QStyleOptionViewItem::WrapText;
    else
        option->features &= ~QStyleOptionViewItem::WrapText;
    // Only what the cell can show is laid out: no visible character is
    // narrower than a pixel, and no line lower than the font's line spacing.
    if (!option->rect.isEmpty()) {
        const int spacing = std::max(1, QFontMetrics(option->font).lineSpacing());
        option->text = fitted(option->text, option->rect.width() + 1, option->rect.height() / spacing + 1, wrap);
    }
}

SpreadsheetView::SpreadsheetView(WorkbookModel *model, QWidget *parent) : QTableView(parent), m_model(model)
{
    setObjectName(QStringLiteral("Spreadsheet1"));
    setShowGrid(false);
    setWordWrap(true);
    setTextElideMode(Qt::ElideNone); // a long text is cut at the cell's edge, as in a spreadsheet
    setItemDelegate(new CellDelegate(this));
    setModel(model);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                    | QAbstractItemView::AnyKeyPressed);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(true);
    verticalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    connect(model, &QAbstractItemModel::modelReset, this, &SpreadsheetView::applyLayout);
    connect(model, &QAbstractItemModel::columnsInserted, this, &SpreadsheetView::applyLayout);
    applyLayout();
}

void SpreadsheetView::applyLayout()
{
    clearSpans();
    QHeaderView *h = horizontalHeader();
    h->setDefaultSectionSize(pointsToPixelsX(WorkbookModel::FallbackColumnWidth));
    for (int c = 0; c < m_model->columnCount(); ++c)
        h->resizeSection(c, pointsToPixelsX(m_model->columnWidthPoints(c + 1)));
    QHeaderView *v = verticalHeader();
    const int defaultHeight = pointsToPixelsY(m_model->defaultRowHeightPoints());
    v->setMinimumSectionSize(std::min(v->minimumSectionSize(), defaultHeight));
    v->setDefaultSectionSize(defaultHeight);
    // Only rows that differ from the default cost a section of their own.
    for (const SheetRow &r : m_model->activeSheet().rows) {
        if (r.index > m_model->rowCount())
            break;
        if (r.hidden)
            setRowHidden(r.index - 1, true);
        else if (r.height > 0 && pointsToPixelsY(r.height) != defaultHeight)
            v->resizeSection(r.index - 1, pointsToPixelsY(r.height));
    }
    for (const Merge &m : m_model->merges()) {
        const int rows = std::min(m.rows, m_model->rowCount() - (m.row - 1));
        const int columns = std::min(m.columns, m_model->columnCount() - (m.column - 1));
        if (rows > 0 && columns > 0 && (rows > 1 || columns > 1))
            setSpan(m.row - 1, m.column - 1, rows, columns);
    }
}

bool SpreadsheetView::setSizeTwips(int width, int height)
{
    if (width < 0 || height < 0)
        return false;
    resize(twips::toScreen(0, 0, width, height).size());
    return true;
}

QSize SpreadsheetView::sizeTwips() const
{
    return QSize(qRound(twips::fromDevice(width(), twips::screenDpiX())),
                 qRound(twips::fromDevice(height(), twips::screenDpiY())));
}

QModelIndexList SpreadsheetView::selectedCells() const
{
    QModelIndexList cells = selectedIndexes();
    if (cells.isEmpty() && currentIndex().isValid())
        cells.append(currentIndex());
    return cells;
}

void SpreadsheetView::clearSelectedCells()
{
    m_model->clearCells(selectedCells());
}

void SpreadsheetView::copySelection() const
{
    const QModelIndexList cells = selectedCells();
    if (cells.isEmpty())
        return;
    // Cells left out of the selection inside its bounds copy as empty ones.
    int top = cells.front().row(), left = cells.front().column(), bottom = top, right = left;
    for (const QModelIndex &i : cells) {
        top = std::min(top, i.row());
        left = std::min(left, i.column());
        bottom = std::max(bottom, i.row());
        right = std::max(right, i.column());
    }
    tsv::Rows rows(bottom - top + 1, QStringList(right - left + 1));
    for (const QModelIndex &i : cells)
        rows[i.row() - top][i.column() - left] = m_model->cellText(i.row() + 1, i.column() + 1);
    QGuiApplication::clipboard()->setText(tsv::format(rows));
}

void SpreadsheetView::paste()
{
    const QModelIndex at = currentIndex();
    if (!at.isValid())
        return;
    tsv::Rows rows = tsv::parse(QGuiApplication::clipboard()->text());
    if (rows.isEmpty())
        return;
    // Pasted text keeps to the code page as typed text does.
    bool dropped = false;
    qsizetype columns = 0;
    for (QStringList &row : rows) {
        columns = std::max(columns, row.size());
        for (QString &cell : row) {
            bool lost = false;
            cell = cp1251::keepEncodable(cell, &lost);
            dropped = dropped || lost;
        }
    }
    if (dropped)
        QApplication::beep();
    m_model->setTexts(at.row() + 1, at.column() + 1, rows);
    // The pasted block stays selected, the current cell where it was.
    const QModelIndex last = m_model->index(std::min(m_model->rowCount(), at.row() + int(rows.size())) - 1,
                                            std::min(m_model->columnCount(), at.column() + int(columns)) - 1);
    selectionModel()->select(QItemSelection(at, last), QItemSelectionModel::ClearAndSelect);
}

void SpreadsheetView::commitEdit()
{
    if (state() != EditingState)
        return;
    if (QWidget *editor = indexWidget(currentIndex())) {
        commitData(editor);
        QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

void SpreadsheetView::moveDown()
{
    const QModelIndex next = moveCursor(MoveDown, Qt::NoModifier);
    if (next.isValid())
        selectionModel()->setCurrentIndex(next, QItemSelectionModel::ClearAndSelect);
}

bool SpreadsheetView::leavesGrid(const QKeyEvent *e, bool *forward)
{
    if (!(e->modifiers() & Qt::ControlModifier) || (e->key() != Qt::Key_Tab && e->key() != Qt::Key_Backtab))
        return false;
    if (forward) // Shift+Tab may come as Backtab, with or without Shift
        *forward = e->key() == Qt::Key_Tab && !(e->modifiers() & Qt::ShiftModifier);
    return true;
}

void SpreadsheetView::keyPressEvent(QKeyEvent *e)
{
    if (bool forward = true; leavesGrid(e, &forward)) {
        commitEdit();
        QWidget::focusNextPrevChild(forward); // the window's chain, not the cells
        return;
    }
    if (state() != EditingState) {
        const QKeyCombination keys = e->keyCombination();
        if (keys == QKeyCombination(Qt::ControlModifier, Qt::Key_Z)) {
            m_model->history().undo();
            return;
        }
        if (keys == QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_Z)) {
            m_model->history().redo();
            return;
        }
        const bool plain = (e->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
        if (e->key() == Qt::Key_Delete && plain) {
            clearSelectedCells();
            return;
        }
        if (e->matches(QKeySequence::Copy)) {
            copySelection();
            return;
        }
        if (e->matches(QKeySequence::Paste)) {
            paste();
            return;
        }
        if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && plain) {
            moveDown();
            return;
        }
    }
    QTableView::keyPressEvent(e);
}

void SpreadsheetView::closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint)
{
    // The delegate ends an edit with Return as "submit".
    const bool down = hint == QAbstractItemDelegate::SubmitModelCache;
    QTableView::closeEditor(editor, down ? QAbstractItemDelegate::NoHint : hint);
    if (down)
        moveDown();
}

} // namespace gravik
