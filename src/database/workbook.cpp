#include "database/workbook.h"

#include <algorithm>

namespace gravik {

namespace {

void inherit(QString &field, const QString &base)
{
    if (field.isEmpty())
        field = base;
}

template <class V, class Key>
auto findSorted(V &items, int key, Key keyOf)
{
    // Most sheets are dense: the item for key n usually sits at n - 1.
    const auto n = static_cast<std::ptrdiff_t>(items.size());
    if (key >= 1 && key <= n && keyOf(items[key - 1]) == key)
        return items.begin() + (key - 1);
    return std::lower_bound(items.begin(), items.end(), key,
                            [&](const auto &item, int k) { return keyOf(item) < k; });
}

int rowKey(const SheetRow &r) { return r.index; }
int cellKey(const SheetCell &c) { return c.column; }

} // namespace

void CellStyle::inheritFrom(const CellStyle &base)
{
    inherit(horizontal, base.horizontal);
    inherit(vertical, base.vertical);
    inherit(wrapText, base.wrapText);
    inherit(fontName, base.fontName);
    inherit(fontFamily, base.fontFamily);
    inherit(charSet, base.charSet);
    inherit(fontSize, base.fontSize);
    inherit(bold, base.bold);
    inherit(italic, base.italic);
    inherit(underline, base.underline);
    inherit(fontColor, base.fontColor);
    inherit(interiorColor, base.interiorColor);
    inherit(interiorPattern, base.interiorPattern);
    inherit(numberFormat, base.numberFormat);
    if (borders.empty())
        borders = base.borders;
}

const SheetRow *Worksheet::row(int index) const
{
    const auto it = findSorted(rows, index, rowKey);
    return it != rows.end() && it->index == index ? &*it : nullptr;
}

SheetRow &Worksheet::rowAt(int index)
{
    auto it = findSorted(rows, index, rowKey);
    if (it == rows.end() || it->index != index) {
        it = rows.insert(it, SheetRow{});
        it->index = index;
    }
    return *it;
}

const SheetCell *Worksheet::cell(int r, int column) const
{
    const SheetRow *sr = row(r);
    if (!sr)
        return nullptr;
    const auto it = findSorted(sr->cells, column, cellKey);
    return it != sr->cells.end() && it->column == column ? &*it : nullptr;
}

SheetCell &Worksheet::cellAt(int r, int column)
{
    SheetRow &sr = rowAt(r);
    auto it = findSorted(sr.cells, column, cellKey);
    if (it == sr.cells.end() || it->column != column) {
        it = sr.cells.insert(it, SheetCell{});
        it->column = column;
    }
    return *it;
}

QString Worksheet::text(int r, int column) const
{
    const SheetCell *c = cell(r, column);
    return c ? c->text : QString();
}

void Worksheet::setText(int r, int column, const QString &text, CellType type)
{
    SheetCell &c = cellAt(r, column);
    c.text = text;
    c.type = text.isEmpty() ? CellType::Empty : type;
}

int Worksheet::effectiveStyle(int r, int column) const
{
    if (const SheetCell *c = cell(r, column); c && c->style >= 0)
        return c->style;
    for (const FormatRange &f : formats)
        if (f.contains(r, column) && f.style >= 0)
            return f.style;
    if (const SheetRow *sr = row(r)) {
        if (sr->style >= 0)
            return sr->style;
    } else if (const RowRange *rr = rowRange(r); rr && rr->style >= 0) {
        return rr->style;
    }
    if (column >= 1 && column <= int(columns.size()) && columns[column - 1].style >= 0)
        return columns[column - 1].style;
    return style;
}

const RowRange *Worksheet::rowRange(int r) const
{
    for (const RowRange &rr : rowRanges)
        if (r >= rr.top && r <= rr.bottom)
            return &rr;
    return nullptr;
}

double Worksheet::columnWidth(int column) const
{
    if (column >= 1 && column <= int(columns.size()) && columns[column - 1].width > 0)
        return columns[column - 1].width;
    return 0;
}

double Worksheet::rowHeight(int r) const
{
    if (const SheetRow *sr = row(r))
        return sr->height;
    const RowRange *rr = rowRange(r);
    return rr ? rr->height : 0;
}

int Worksheet::usedRows() const
{
    int last = rows.empty() ? 0 : rows.back().index;
    for (const SheetRow &r : rows)
        for (const SheetCell &c : r.cells)
            last = std::max(last, r.index + c.mergeDown);
    for (const FormatRange &f : formats)
        last = std::max(last, f.bottom);
    for (const RowRange &rr : rowRanges)
        last = std::max(last, rr.bottom);
    return last;
}

int Worksheet::usedColumns() const
{
    int last = int(columns.size());
    for (const SheetRow &r : rows)
        if (!r.cells.empty()) {
            for (const SheetCell &c : r.cells)
                last = std::max(last, c.column + c.mergeAcross);
        }
    for (const FormatRange &f : formats)
        last = std::max(last, f.right);
    return last;
}

std::vector<Merge> Worksheet::merges() const
{
    std::vector<Merge> out;
    for (const SheetRow &r : rows)
        for (const SheetCell &c : r.cells)
            if (c.mergeAcross > 0 || c.mergeDown > 0)
                out.push_back({r.index, c.column, c.mergeDown + 1, c.mergeAcross + 1});
    return out;
}

int Workbook::styleIndex(const QString &id) const
{
    for (int i = 0; i < int(styles.size()); ++i)
        if (styles[i].id == id)
            return i;
    return -1;
}

const Worksheet *Workbook::sheet(const QString &name) const
{
    for (const Worksheet &s : sheets)
        if (s.name == name)
            return &s;
    return nullptr;
}

Worksheet *Workbook::sheet(const QString &name)
{
    return const_cast<Worksheet *>(std::as_const(*this).sheet(name));
}

const Worksheet *Workbook::active() const
{
    if (sheets.empty())
        return nullptr;
    const int i = activeSheet >= 0 && activeSheet < int(sheets.size()) ? activeSheet : 0;
    return &sheets[i];
}

Worksheet *Workbook::active()
{
    return const_cast<Worksheet *>(std::as_const(*this).active());
}

std::optional<CellRef> parseCellRef(QStringView a1)
{
    qsizetype i = 0;
    const qsizetype n = a1.size();
    auto skipDollar = [&] {
        if (i < n && a1[i] == u'$')
            ++i;
    };
    skipDollar();
    qint64 column = 0;
    const qsizetype letters = i;
    auto letter = [](QChar c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); };
    while (i < n && letter(a1[i])) {
        column = column * 26 + (a1[i].toUpper().unicode() - u'A' + 1);
        if (column > MaxSheetColumns)
            return std::nullopt;
        ++i;
    }
    if (i == letters)
        return std::nullopt;
    skipDollar();
    qint64 row = 0;
    const qsizetype digits = i;
    while (i < n && a1[i] >= u'0' && a1[i] <= u'9') {
        row = row * 10 + (a1[i].unicode() - u'0');
        if (row > MaxSheetRows)
            return std::nullopt;
        ++i;
    }
    if (i == digits || i != n || row == 0)
        return std::nullopt;
    return CellRef{int(row), int(column)};
}

QString columnName(int column)
{
    QString name;
    while (column > 0) {
        const int rem = (column - 1) % 26;
        name.prepend(QChar(u'A' + rem));
        column = (column - 1) / 26;
    }
    return name;
}

std::optional<QString> plainDecimal(QStringView text)
{
    text = text.trimmed();
    qsizetype i = 0;
    const qsizetype n = text.size();
    bool negative = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-'))
        negative = text[i++] == u'-';
    QString digits;
    qsizetype point = -1; // digits before the decimal point
    for (; i < n; ++i) {
        const QChar c = text[i];
        if (c >= u'0' && c <= u'9')
            digits += c;
        else if (c == u'.' && point < 0)
            point = digits.size();
        else
            break;
    }
    if (digits.isEmpty())
        return std::nullopt;
    if (point < 0)
        point = digits.size();
    qint64 exponent = 0;
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        ++i;
        bool expNegative = false;
        if (i < n && (text[i] == u'+' || text[i] == u'-'))
            expNegative = text[i++] == u'-';
        const qsizetype start = i;
        for (; i < n && text[i] >= u'0' && text[i] <= u'9'; ++i) {
            exponent = exponent * 10 + (text[i].unicode() - u'0');
            if (exponent > 100000)
                return std::nullopt;
        }
        if (i == start)
            return std::nullopt;
        if (expNegative)
            exponent = -exponent;
    }
    if (i != n)
        return std::nullopt;

    qint64 pos = point + exponent; // where the point goes in digits
    qsizetype lead = 0;
    while (lead < digits.size() && digits[lead] == u'0')
        ++lead;
    digits.remove(0, lead);
    pos -= lead;
    qsizetype end = digits.size();
    while (end > 0 && digits[end - 1] == u'0')
        --end;
    digits.truncate(end);
    if (digits.isEmpty())
        return QStringLiteral("0");
    // Beyond the range of a double: not a number a spreadsheet can hold.
    if (pos > 310 || pos < -330)
        return std::nullopt;

    QString out;
    if (negative)
        out += u'-';
    if (pos <= 0) {
        out += QStringLiteral("0.");
        out += QString(qsizetype(-pos), u'0');
        out += digits;
    } else if (pos >= digits.size()) {
        out += digits;
        out += QString(qsizetype(pos - digits.size()), u'0');
    } else {
        out += QStringView(digits).left(pos);
        out += u'.';
        out += QStringView(digits).mid(pos);
    }
    return out;
}

} // namespace gravik
