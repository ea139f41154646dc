// The Styles part of the reader: each Style, its parts and borders, then the
// names resolved once the whole file is read.
#include "database/spreadsheetmlelements.h"

#include "database/spreadsheetmlformat.h"

#include <algorithm>

namespace gravik::spreadsheetml::elements {

namespace {

// Style indexes of names used before their Style element: numbered from here
// while reading and replaced once the whole file is read.
constexpr int ForwardStyle = 1 << 29;

} // namespace

// A style's index by its name; names not (yet) defined get a forward number.
int Reader::styleOf(std::string_view name)
{
    if (name == m_lastStyleName)
        return m_lastStyle;
    m_lastStyleName.assign(name);
    const auto it = m_styleNames.constFind(QByteArray::fromRawData(name.data(), qsizetype(name.size())));
    if (it != m_styleNames.cend()) {
        m_lastStyle = *it >= 0 ? *it : ForwardStyle + (-2 - *it);
    } else {
        const int slot = int(m_forward.size());
        m_forward.push_back(-1);
        m_styleNames.insert(QByteArray(name.data(), qsizetype(name.size())), -2 - slot);
        m_lastStyle = ForwardStyle + slot;
    }
    return m_lastStyle;
}

Reader::Ctx Reader::readStyle(const Name &, const Attributes &attributes)
{
    m_style = CellStyle();
    m_styleId.clear();
    m_styleParent.clear();
    attributes.forEach([&](const Name &a, std::string_view v) {
        if (a.ssAttribute("ID"))
            m_styleId.assign(v);
        else if (a.ssAttribute("Name"))
            m_style.name = qstr(v);
        else if (a.ssAttribute("Parent"))
            m_styleParent.assign(v);
    });
    if (m_styleId.empty())
        return Ctx::Ignore; // unusable
    const auto it = m_styleNames.constFind(QByteArray::fromStdString(m_styleId));
    if (it != m_styleNames.cend() && *it >= 0)
        return Ctx::Ignore; // a repeated name: the first one counts
    m_style.id = qstr(m_styleId);
    m_styleAt = m_here();
    return Ctx::Style;
}

void Reader::endStyle()
{
    const int index = int(m_book.styles.size());
    const QByteArray id = QByteArray::fromStdString(m_styleId);
    const auto it = m_styleNames.find(id);
    if (it == m_styleNames.end()) {
        m_styleNames.insert(id, index);
    } else {
        m_forward[size_t(-2 - *it)] = index;
        *it = index;
    }
    m_lastStyleName.assign(1, '\x01'); // matches no style name
    m_book.styles.push_back(std::move(m_style));
    m_parents.push_back({QByteArray::fromStdString(m_styleParent), m_styleAt});
}

Reader::Ctx Reader::readStylePart(const Name &name, const Attributes &attributes)
{
    const auto part = std::find_if(std::begin(StyleParts), std::end(StyleParts),
                                   [&](StylePart p) { return name.local == partName(p); });
    attributes.forEach([&](const Name &a, std::string_view v) {
        for (const StyleAttribute &t : StyleAttributes)
            if (t.part == *part && (t.excel ? a.x(t.name) : a.ssAttribute(t.name)))
                m_style.*t.field = qstr(v);
    });
    return Ctx::Ignore;
}

Reader::Ctx Reader::readBorder(const Name &, const Attributes &attributes)
{
    CellStyle::Border border;
    attributes.forEach([&](const Name &a, std::string_view v) {
        for (const BorderAttribute &t : BorderAttributes)
            if (a.ssAttribute(t.name))
                border.*t.field = qstr(v);
    });
    if (!border.position.isEmpty())
        m_style.borders.push_back(std::move(border));
    return Ctx::Ignore;
}

// A style takes what it leaves unset from its parent, and that from its own.
// Chains are followed without recursion, each style once; a loop is refused.
void Reader::resolveParents()
{
    enum : unsigned char { Open, Resolving, Done };
    std::vector<CellStyle> &styles = m_book.styles;
    std::vector<unsigned char> state(styles.size(), Open);
    std::vector<int> chain;
    auto parentOf = [&](int i) {
        const QByteArray &id = m_parents[size_t(i)].id;
        return id.isEmpty() ? -1 : std::max(-1, m_styleNames.value(id, -1));
    };
    for (int first = 0; first < int(styles.size()); ++first) {
        int i = first;
        while (i >= 0 && state[size_t(i)] == Open) {
            state[size_t(i)] = Resolving;
            chain.push_back(i);
            i = parentOf(i);
            if (i >= 0 && state[size_t(i)] == Resolving)
                throw ContentError{QStringLiteral("стиль «%1» наследует сам от себя (цепочка ss:Parent замкнута)")
                                       .arg(styles[size_t(i)].id),
                                   m_parents[size_t(i)].at};
        }
        // From the top of the chain down: each parent is complete before its child takes from it.
        for (size_t k = chain.size(); k-- > 0;) {
            const int s = chain[k];
            if (k + 1 < chain.size() || i >= 0)
                styles[size_t(s)].inheritFrom(styles[size_t(k + 1 < chain.size() ? chain[k + 1] : i)]);
            state[size_t(s)] = Done;
        }
        chain.clear();
    }
}

// Names used before their Style element get their index, or none.
void Reader::resolveForwardStyles()
{
    if (m_forward.empty())
        return;
    auto fix = [&](int &s) {
        if (s >= ForwardStyle)
            s = m_forward[size_t(s - ForwardStyle)];
    };
    for (Worksheet &sheet : m_book.sheets) {
        fix(sheet.style);
        for (SheetColumn &c : sheet.columns)
            fix(c.style);
        for (SheetRow &r : sheet.rows) {
            fix(r.style);
            for (SheetCell &c : r.cells)
                fix(c.style);
        }
        for (FormatRange &f : sheet.formatsToEdit())
            fix(f.style);
        for (RowRange &r : sheet.rowRangesToEdit())
            fix(r.style);
    }
}

} // namespace gravik::spreadsheetml::elements
