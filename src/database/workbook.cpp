#include "database/workbook.h"

#include <algorithm>
#include <cstring>
#include <queue>

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

char16_t *TextStore::reserve(size_t n)
{
    // A block a copy of the sheet shares is left to it: both would write after
    // the same used part.
    if (m_blocks.empty() || m_capacity - m_used < n || m_blocks.back().use_count() > 1) {
        // Below malloc's threshold for a mapping of its own, so blocks freed
        // by one load are reused by the next rather than cleared again.
        constexpr size_t blockSize = 60 * 1024; // characters
        m_capacity = std::max(n, blockSize);
        m_blocks.emplace_back(new char16_t[m_capacity]);
        m_used = 0;
    }
    return m_blocks.back().get() + m_used;
}

CellText TextStore::finish(size_t m)
{
    CellText t;
    if (m == 0)
        return t;
    t.m_data = m_blocks.back().get() + m_used;
    t.m_size = quint32(std::min<size_t>(m, 0x7fffffff));
    m_used += m;
    return t;
}

CellText TextStore::add(QStringView text)
{
    const size_t n = size_t(text.size());
    if (n == 0)
        return {};
    std::memcpy(reserve(n), text.utf16(), n * sizeof(char16_t));
    return finish(n);
}

// Which ranges hold each stretch of rows ("band"): a cell's lookup is a binary
// search and a look at the few ranges of its band, not a walk over all of them.
struct Worksheet::RangeIndex {
    std::vector<long long> formatBands; // first row of each band; the last ends them
    std::vector<int> formatStart;       // per band, where its formats begin in formatList
    std::vector<int> formatList;        // indexes into formats, in their order
    bool scanFormats = false;           // ranges so overlapped that bands would cost more than a walk
    std::vector<long long> rowBands;
    std::vector<int> rowRange; // per band, the first row range holding it, -1 for none
};

namespace {

int bandOf(const std::vector<long long> &bands, int row)
{
    const auto it = std::upper_bound(bands.begin(), bands.end(), (long long)row);
    return it == bands.begin() || it == bands.end() ? -1 : int(it - bands.begin()) - 1;
}

template <class R>
std::vector<long long> bandsOf(const std::vector<R> &ranges, bool (*counts)(const R &))
{
    std::vector<long long> b;
    b.reserve(ranges.size() * 2);
    for (const R &r : ranges)
        if (counts(r)) {
            b.push_back(r.top);
            b.push_back(r.bottom + 1LL);
        }
    std::sort(b.begin(), b.end());
    b.erase(std::unique(b.begin(), b.end()), b.end());
    return b;
}

bool styledFormat(const FormatRange &f) { return f.style >= 0 && f.top <= f.bottom && f.left <= f.right; }
bool anyRowRange(const RowRange &r) { return r.top <= r.bottom; }

} // namespace

std::vector<FormatRange> &Worksheet::formatsToEdit()
{
    m_index.reset();
    return m_formats;
}

std::vector<RowRange> &Worksheet::rowRangesToEdit()
{
    m_index.reset();
    return m_rowRanges;
}

const Worksheet::RangeIndex &Worksheet::rangeIndex() const
{
    if (m_index)
        return *m_index;
    auto x = std::make_shared<RangeIndex>();
    x->formatBands = bandsOf(m_formats, styledFormat);
    const auto &fb = x->formatBands;
    auto span = [&](long long top, long long end) {
        return std::pair<int, int>(int(std::lower_bound(fb.begin(), fb.end(), top) - fb.begin()),
                                   int(std::lower_bound(fb.begin(), fb.end(), end) - fb.begin()));
    };
    long long entries = 0;
    for (const FormatRange &f : m_formats)
        if (styledFormat(f)) {
            const auto [a, b] = span(f.top, f.bottom + 1LL);
            entries += b - a;
        }
    if (entries > 8 * (long long)m_formats.size() + 100000) {
        x->scanFormats = true;
    } else {
        const int bands = std::max(0, int(fb.size()) - 1);
        x->formatStart.assign(size_t(bands) + 1, 0);
        for (const FormatRange &f : m_formats)
            if (styledFormat(f)) {
                const auto [a, b] = span(f.top, f.bottom + 1LL);
                for (int k = a; k < b; ++k)
                    ++x->formatStart[size_t(k) + 1];
            }
        for (int k = 0; k < bands; ++k)
            x->formatStart[size_t(k) + 1] += x->formatStart[size_t(k)];
        x->formatList.resize(size_t(entries));
        std::vector<int> fill(x->formatStart.begin(), x->formatStart.end() - 1);
        for (int i = 0; i < int(m_formats.size()); ++i)
            if (styledFormat(m_formats[size_t(i)])) {
                const auto [a, b] = span(m_formats[size_t(i)].top, m_formats[size_t(i)].bottom + 1LL);
                for (int k = a; k < b; ++k)
                    x->formatList[size_t(fill[size_t(k)]++)] = i;
            }
    }

    // Row ranges: a sweep down the bands keeps the open ranges by their order.
    x->rowBands = bandsOf(m_rowRanges, anyRowRange);
    const auto &rb = x->rowBands;
    std::vector<int> order;
    for (int i = 0; i < int(m_rowRanges.size()); ++i)
        if (anyRowRange(m_rowRanges[size_t(i)]))
            order.push_back(i);
    std::sort(order.begin(), order.end(), [&](int a, int b) { return m_rowRanges[size_t(a)].top < m_rowRanges[size_t(b)].top; });
    std::priority_queue<int, std::vector<int>, std::greater<int>> open;
    size_t next = 0;
    for (size_t k = 0; k + 1 < rb.size(); ++k) {
        while (next < order.size() && m_rowRanges[size_t(order[next])].top <= rb[k])
            open.push(order[next++]);
        while (!open.empty() && m_rowRanges[size_t(open.top())].bottom < rb[k])
            open.pop();
        x->rowRange.push_back(open.empty() ? -1 : open.top());
    }
    m_index = std::move(x);
    return *m_index;
}

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

QStringView Worksheet::textView(int r, int column) const
{
    const SheetCell *c = cell(r, column);
    return c ? c->text.view() : QStringView();
}

void Worksheet::setText(int r, int column, QStringView text, CellType type)
{
    SheetCell &c = cellAt(r, column);
    c.text = texts.add(text);
    c.type = text.isEmpty() ? CellType::Empty : type;
}

int Worksheet::effectiveStyle(int r, int column) const
{
    if (const SheetCell *c = cell(r, column); c && c->style >= 0)
        return c->style;
    const RangeIndex &x = rangeIndex();
    if (x.scanFormats) {
        for (const FormatRange &f : m_formats)
            if (f.contains(r, column) && f.style >= 0)
                return f.style;
    } else if (const int band = bandOf(x.formatBands, r); band >= 0) {
        for (int k = x.formatStart[size_t(band)]; k < x.formatStart[size_t(band) + 1]; ++k)
            if (const FormatRange &f = m_formats[size_t(x.formatList[size_t(k)])]; f.contains(r, column))
                return f.style;
    }
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
    const RangeIndex &x = rangeIndex();
    const int band = bandOf(x.rowBands, r);
    const int i = band < 0 ? -1 : x.rowRange[size_t(band)];
    return i < 0 ? nullptr : &m_rowRanges[size_t(i)];
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
    for (const FormatRange &f : m_formats)
        last = std::max(last, f.bottom);
    for (const RowRange &rr : m_rowRanges)
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
    for (const FormatRange &f : m_formats)
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
