// Any bytes as Baza.xml: read, and what was read written and read again,
// which must give the same cells.
#include "database/spreadsheetml.h"

#include <cstdint>
#include <cstdlib>

using namespace gravik;

// What XML can carry of a text: the writer leaves out the rest.
static QString carried(QStringView text)
{
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            out += text[i];
            out += text[++i];
        } else if ((c >= 0x20 || c == '\t' || c == '\n' || c == '\r') && !QChar::isSurrogate(c) && c != 0xFFFE
                   && c != 0xFFFF) {
            out += text[i];
        }
    }
    return out;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const auto book = spreadsheetml::read(QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (!book)
        return 0;
    const QByteArray written = spreadsheetml::write(*book);
    spreadsheetml::Error error;
    const auto again = spreadsheetml::read(written, &error);
    if (!again || again->sheets.size() != book->sheets.size())
        std::abort();
    for (size_t s = 0; s < book->sheets.size(); ++s) {
        const Worksheet &a = book->sheets[s], &b = again->sheets[s];
        const std::vector<Merge> merges = a.merges();
        // A cell under another's merge is hidden, and not written.
        auto hidden = [&](int row, int column) {
            for (const Merge &m : merges)
                if (row >= m.row && row < m.row + m.rows && column >= m.column && column < m.column + m.columns
                    && !(row == m.row && column == m.column))
                    return true;
            return false;
        };
        for (const SheetRow &r : a.rows)
            for (const SheetCell &c : r.cells)
                if (c.hasValue() && b.text(r.index, c.column) != carried(c.text.view()) && !hidden(r.index, c.column))
                    std::abort();
    }
    return 0;
}
