#include "database/workbookmodel.h"

#include "database/database.h"

namespace gravik {

namespace {

bool on(const QString &flag) { return flag == QLatin1String("1") || flag.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0; }

Qt::Alignment horizontalOf(const QString &h)
{
    if (h == QLatin1String("Center") || h == QLatin1String("CenterAcrossSelection"))
        return Qt::AlignHCenter;
    if (h == QLatin1String("Right"))
        return Qt::AlignRight;
    if (h == QLatin1String("Left"))
        return Qt::AlignLeft;
    if (h == QLatin1String("Justify") || h == QLatin1String("Distributed"))
        return Qt::AlignJustify;
    return {}; // by the value: numbers right, text left
}

Qt::Alignment verticalOf(const QString &v)
{
    if (v == QLatin1String("Top"))
        return Qt::AlignTop;
    if (v == QLatin1String("Center") || v == QLatin1String("Justify") || v == QLatin1String("Distributed"))
        return Qt::AlignVCenter;
    return Qt::AlignBottom;
}

} // namespace

// One operator edit of one or many cells, applied through the model.
class WorkbookModel::EditStep : public QUndoCommand
{
public:
    EditStep(WorkbookModel &model, std::vector<CellChange> changes) : m_model(model), m_changes(std::move(changes)) {}
    void redo() override { m_model.apply(m_changes, true); }
    void undo() override { m_model.apply(m_changes, false); }

private:
    WorkbookModel &m_model;
    const std::vector<CellChange> m_changes;
};

WorkbookModel::WorkbookModel(QObject *parent) : QAbstractTableModel(parent)
{
    connect(&m_history, &QUndoStack::cleanChanged, this, [this](bool clean) { emit modifiedChanged(!clean); });
    setWorkbook(studentdb::builtIn());
}

// The history's last steps go with it, telling no one.
WorkbookModel::~WorkbookModel()
{
    m_history.disconnect(this);
}

void WorkbookModel::setWorkbook(Workbook book)
{
    beginResetModel();
    m_book = std::move(book);
    if (m_book.sheets.empty()) {
        m_book.sheets.emplace_back();
        m_book.sheets.back().name = studentdb::HeaderSheet;
    }
    m_defaultStyle = m_book.styleIndex(QStringLiteral("Default"));
    m_looks.assign(m_book.styles.size() + 1, std::nullopt);
    updateExtent();
    endResetModel();
    m_history.clear(); // the steps were edits of the old content
    setModified(false);
}

bool WorkbookModel::load(const QString &path, spreadsheetml::Error *error)
{
    auto book = spreadsheetml::readFile(path, error);
    if (!book)
        return false;
    setWorkbook(std::move(*book));
    return true;
}

bool WorkbookModel::exportTo(const QString &path, QString *error) const
{
    return spreadsheetml::writeFile(path, m_book, error);
}

QString WorkbookModel::cellText(int row, int column) const
{
    return activeSheet().text(row, column);
}

bool WorkbookModel::writeCell(const QString &sheetName, const QString &a1, const QString &text)
{
    Worksheet *sheet = m_book.sheet(sheetName);
    const auto ref = parseCellRef(a1);
    if (!sheet || !ref)
        return false;
    sheet->setText(ref->row, ref->column, text);
    if (sheet == m_book.active()) {
        grow(ref->row, ref->column);
        const QModelIndex i = index(ref->row - 1, ref->column - 1);
        emit dataChanged(i, i);
    }
    return true;
}

void WorkbookModel::setModified(bool modified)
{
    // Modified content has no clean step to undo back to.
    if (modified)
        m_history.resetClean();
    else
        m_history.setClean();
}

double WorkbookModel::columnWidthPoints(int column) const
{
    const Worksheet &s = activeSheet();
    if (const double w = s.columnWidth(column); w > 0)
        return w;
    return s.defaultColumnWidth > 0 ? s.defaultColumnWidth : FallbackColumnWidth;
}

double WorkbookModel::rowHeightPoints(int row) const
{
    return activeSheet().rowHeight(row);
}

double WorkbookModel::defaultRowHeightPoints() const
{
    const Worksheet &s = activeSheet();
    return s.defaultRowHeight > 0 ? s.defaultRowHeight : FallbackRowHeight;
}

void WorkbookModel::updateExtent()
{
    const Worksheet &s = activeSheet();
    m_rows = std::min(MaxSheetRows, std::max(1, s.usedRows()) + SpareRows);
    m_columns = std::min(MaxSheetColumns, std::max(MinColumns, s.usedColumns() + 1));
}

void WorkbookModel::grow(int row, int column)
{
    const int rows = std::min(MaxSheetRows, row + SpareRows);
    if (rows > m_rows) {
        beginInsertRows({}, m_rows, rows - 1);
        m_rows = rows;
        endInsertRows();
    }
    const int columns = std::min(MaxSheetColumns, column + 1);
    if (columns > m_columns) {
        beginInsertColumns({}, m_columns, columns - 1);
        m_columns = columns;
        endInsertColumns();
    }
}

int WorkbookModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int WorkbookModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_columns;
}

const WorkbookModel::Look &WorkbookModel::look(int style) const
{
    const size_t slot = size_t(style + 1);
    if (m_looks[slot])
        return *m_looks[slot];
    CellStyle s;
    if (style >= 0)
        s = m_book.styles[size_t(style)];
    if (m_defaultStyle >= 0 && style != m_defaultStyle)
        s.inheritFrom(m_book.styles[size_t(m_defaultStyle)]);

    Look l;
    l.font = QFont(s.fontName.isEmpty() ? QStringLiteral("Arial") : s.fontName);
    bool ok = false;
    const double size = s.fontSize.toDouble(&ok);
    l.font.setPointSizeF(ok && size > 0 && size < 500 ? size : 10.0);
    l.font.setBold(on(s.bold));
    l.font.setItalic(on(s.italic));
    l.font.setUnderline(!s.underline.isEmpty() && s.underline != QLatin1String("None"));
    l.foreground = QColor(s.fontColor);
    if (!s.interiorColor.isEmpty() && s.interiorPattern != QLatin1String("None"))
        l.background = QColor(s.interiorColor);
    l.horizontal = horizontalOf(s.horizontal);
    l.vertical = verticalOf(s.vertical);
    l.wrap = on(s.wrapText);
    for (const CellStyle::Border &b : s.borders) {
        if (b.lineStyle == QLatin1String("None"))
            continue;
        if (b.position == QLatin1String("Left"))
            l.borders |= LeftSide;
        else if (b.position == QLatin1String("Top"))
            l.borders |= TopSide;
        else if (b.position == QLatin1String("Right"))
            l.borders |= RightSide;
        else if (b.position == QLatin1String("Bottom"))
            l.borders |= BottomSide;
        else
            continue;
        if (!l.borderColor.isValid())
            l.borderColor = QColor(b.color);
    }
    if (!l.borderColor.isValid())
        l.borderColor = Qt::black;
    m_looks[slot] = std::move(l);
    return *m_looks[slot];
}

QVariant WorkbookModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const int row = index.row() + 1, column = index.column() + 1;
    const Worksheet &s = activeSheet();
    switch (role) {
    case Qt::DisplayRole: {
        const QStringView text = s.textView(row, column);
        return text.first(std::min(text.size(), ShownCharacters)).toString();
    }
    case Qt::EditRole:
        return s.text(row, column);
    case Qt::FontRole:
        return look(s.effectiveStyle(row, column)).font;
    case Qt::ForegroundRole: {
        const QColor &c = look(s.effectiveStyle(row, column)).foreground;
        return c.isValid() ? QVariant(c) : QVariant();
    }
    case Qt::BackgroundRole: {
        const QColor &c = look(s.effectiveStyle(row, column)).background;
        return c.isValid() ? QVariant(c) : QVariant();
    }
    case Qt::TextAlignmentRole: {
        const Look &l = look(s.effectiveStyle(row, column));
        Qt::Alignment h = l.horizontal;
        if (!h) {
            const SheetCell *c = s.cell(row, column);
            h = c && c->type == CellType::Number ? Qt::AlignRight : Qt::AlignLeft;
        }
        return QVariant::fromValue(h | l.vertical);
    }
    case BordersRole:
        return look(s.effectiveStyle(row, column)).borders;
    case BorderColorRole:
        return look(s.effectiveStyle(row, column)).borderColor;
    case WrapRole:
        return look(s.effectiveStyle(row, column)).wrap;
    default:
        return {};
    }
}

std::optional<WorkbookModel::CellChange> WorkbookModel::changeOf(int row, int column, const QString &text) const
{
    const SheetCell *old = activeSheet().cell(row, column);
    const QStringView was = old ? old->text.view() : QStringView();
    const CellType wasType = old ? old->type : CellType::Empty;
    if (was == text)
        return std::nullopt;
    // A number stays a number while it is edited as one.
    CellType type = text.isEmpty() ? CellType::Empty : CellType::String;
    QString stored = text;
    if (wasType == CellType::Number) {
        if (auto plain = plainDecimal(text)) {
            type = CellType::Number;
            stored = *plain;
        }
    }
    if (was == stored && wasType == type)
        return std::nullopt;
    return CellChange{row, column, was.toString(), stored, wasType, type};
}

bool WorkbookModel::record(std::vector<CellChange> changes)
{
    if (changes.empty())
        return false;
    m_history.push(new EditStep(*this, std::move(changes)));
    return true;
}

void WorkbookModel::apply(const std::vector<CellChange> &changes, bool after)
{
    Worksheet &s = *m_book.active();
    int top = MaxSheetRows, left = MaxSheetColumns, bottom = 0, right = 0;
    for (const CellChange &c : changes) {
        s.setText(c.row, c.column, after ? c.after : c.before, after ? c.afterType : c.beforeType);
        top = std::min(top, c.row);
        left = std::min(left, c.column);
        bottom = std::max(bottom, c.row);
        right = std::max(right, c.column);
    }
    grow(bottom, right);
    emit dataChanged(index(top - 1, left - 1), index(bottom - 1, right - 1));
}

bool WorkbookModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    std::vector<CellChange> changes;
    if (auto c = changeOf(index.row() + 1, index.column() + 1, value.toString()))
        changes.push_back(std::move(*c));
    record(std::move(changes));
    return true;
}

bool WorkbookModel::setTexts(int row, int column, const QList<QStringList> &rows)
{
    if (row < 1 || column < 1)
        return false;
    std::vector<CellChange> changes;
    const int rowCount = int(std::min<qsizetype>(rows.size(), MaxSheetRows - row + 1));
    for (int r = 0; r < rowCount; ++r) {
        const QStringList &cells = rows[r];
        const int columns = int(std::min<qsizetype>(cells.size(), MaxSheetColumns - column + 1));
        for (int c = 0; c < columns; ++c)
            if (auto change = changeOf(row + r, column + c, cells[c]))
                changes.push_back(std::move(*change));
    }
    return record(std::move(changes));
}

bool WorkbookModel::clearCells(const QModelIndexList &cells)
{
    std::vector<CellChange> changes;
    for (const QModelIndex &i : cells)
        if (i.model() == this)
            if (auto change = changeOf(i.row() + 1, i.column() + 1, QString()))
                changes.push_back(std::move(*change));
    return record(std::move(changes));
}

Qt::ItemFlags WorkbookModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable;
}

QVariant WorkbookModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    return orientation == Qt::Horizontal ? QVariant(columnName(section + 1)) : QVariant(section + 1);
}

} // namespace gravik
