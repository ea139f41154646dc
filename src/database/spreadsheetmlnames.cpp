#include "database/spreadsheetmlnames.h"

#include "database/spreadsheetmlformat.h"

#include <algorithm>
#include <cstring>

namespace gravik::spreadsheetml::elements {

namespace {

using namespace std::string_view_literals;

constexpr std::string_view XmlUri = "http://www.w3.org/XML/1998/namespace"sv;
constexpr std::string_view XmlnsUri = "http://www.w3.org/2000/xmlns/"sv;

// Whether a local name may begin so: the name as a whole is already known to
// be an XML name, so only what may go inside a name but not first is left
// (digits, '-', '.', marks, modifier letters, the middle dot).
bool beginsName(std::string_view local)
{
    const auto c = static_cast<unsigned char>(local.front());
    if (c < 0x80)
        return c == '_' || unsigned((c | 0x20) - 'a') < 26;
    const QString first = qstr(local.substr(0, std::min<size_t>(4, local.size())));
    if (first.isEmpty())
        return false;
    switch (QChar::category(first.at(0).isHighSurrogate() && first.size() > 1
                                ? QChar::surrogateToUcs4(first.at(0), first.at(1))
                                : first.at(0).unicode())) {
    case QChar::Letter_Uppercase:
    case QChar::Letter_Lowercase:
    case QChar::Letter_Titlecase:
    case QChar::Letter_Other:
    case QChar::Number_Letter:
        return true;
    default:
        return false;
    }
}

// A name as written, split at its colon (no colon: no prefix). False when it
// is not a qualified name: a second colon, or an empty or misbegun part.
inline bool split(const char *raw, std::string_view &prefix, std::string_view &local)
{
    const char *colon = nullptr;
    const char *p = raw;
    for (char c; (c = *p) != '\0'; ++p)
        if (c == ':') {
            if (colon)
                return false;
            colon = p;
        }
    if (!colon) {
        prefix = {};
        local = std::string_view(raw, size_t(p - raw));
        return true;
    }
    prefix = std::string_view(raw, size_t(colon - raw));
    local = std::string_view(colon + 1, size_t(p - colon - 1));
    return !prefix.empty() && !local.empty() && beginsName(local);
}

// Whether an attribute declares a namespace: xmlns, or xmlns:p. Most
// attributes are told by their first letter.
inline bool declares(const char *name)
{
    return name[0] == 'x' && std::strncmp(name, "xmlns", 5) == 0 && (name[5] == '\0' || name[5] == ':');
}

// Prefixes are a few letters: compared here rather than by a call.
inline bool samePrefix(const std::string &a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < b.size(); ++i)
        if (a[i] != b[i])
            return false;
    return true;
}

Ns nsOf(std::string_view uri)
{
    if (uri.empty())
        return Ns::None;
    if (uri == SpreadsheetNs)
        return Ns::Ss;
    if (uri == ExcelNs)
        return Ns::X;
    return Ns::Other;
}

QString notQualified(const char *raw)
{
    return QStringLiteral("имя «%1» записано не по правилам пространств имён XML: двоеточие в нём одно, "
                          "между префиксом и именем")
        .arg(QString::fromUtf8(raw));
}

} // namespace

// The prefix xml is bound without a declaration.
Namespaces::Namespaces() : m_bindings(1, Binding{"xml", std::string(XmlUri), Ns::Other, 0}), m_inScope(1) {}

bool Namespaces::open(const char *name, const char **attributes)
{
    ++m_depth;
    std::string_view prefix, local;
    if (!split(name, prefix, local))
        return fail(notQualified(name));
    if (!resolveAttributes(attributes))
        return false;
    int b = m_default;
    if (!prefix.empty() && (b = find(prefix)) < 0)
        return fail(QStringLiteral("префикс пространства имён «%1» не объявлен").arg(qstr(prefix)));
    m_name = Name{b < 0 ? Ns::None : m_bindings[size_t(b)].ns, local};
    return true;
}

void Namespaces::close()
{
    if (m_bindings[m_inScope - 1].depth == m_depth) {
        while (m_bindings[m_inScope - 1].depth == m_depth)
            --m_inScope;
        scopeChanged();
    }
    --m_depth;
}

// The tag's declarations first, as they count for the tag's own names, then
// the other attributes by their prefixes; the default namespace is not an
// attribute's.
bool Namespaces::resolveAttributes(const char **attributes)
{
    m_attributes.clear();
    m_attributeBindings.clear();
    std::string_view prefix, local;
    for (const char **a = attributes; *a; a += 2) {
        if (!declares(a[0]))
            continue;
        if (!split(a[0], prefix, local))
            return fail(notQualified(a[0]));
        if (!declare(prefix.empty() ? std::string_view() : local, a[1]))
            return false;
    }
    size_t prefixed = 0;
    for (const char **a = attributes; *a; a += 2) {
        if (declares(a[0]))
            continue;
        if (!split(a[0], prefix, local))
            return fail(notQualified(a[0]));
        int b = -1;
        if (!prefix.empty()) {
            if ((b = find(prefix)) < 0)
                return fail(QStringLiteral("префикс пространства имён «%1» не объявлен").arg(qstr(prefix)));
            ++prefixed;
        }
        m_attributes.push_back({Name{b < 0 ? Ns::None : m_bindings[size_t(b)].ns, local}, a[1]});
        m_attributeBindings.push_back(b);
    }
    return prefixed < 2 || noDuplicates();
}

bool Namespaces::declare(std::string_view prefix, std::string_view uri)
{
    if (uri.empty() && !prefix.empty())
        return fail(QStringLiteral("префикс пространства имён «%1» объявлен пустым").arg(qstr(prefix)));
    if (prefix == "xmlns"sv || (prefix == "xml"sv) != (uri == XmlUri) || uri == XmlnsUri)
        return fail(QStringLiteral("неверно объявлено зарезервированное пространство имён xml или xmlns"));
    if (m_inScope == m_bindings.size())
        m_bindings.emplace_back();
    Binding &b = m_bindings[m_inScope++];
    b.prefix.assign(prefix);
    b.uri.assign(uri);
    b.ns = nsOf(uri);
    b.depth = m_depth;
    scopeChanged();
    return true;
}

void Namespaces::scopeChanged()
{
    m_lastFound = -1;
    m_default = find({});
}

// Files bind the same few prefixes once at the root: the one found last is
// most likely the one asked for next.
int Namespaces::find(std::string_view prefix)
{
    if (m_lastFound >= 0 && samePrefix(m_bindings[size_t(m_lastFound)].prefix, prefix))
        return m_lastFound;
    for (size_t i = m_inScope; i-- > 0;)
        if (samePrefix(m_bindings[i].prefix, prefix)) {
            if (!prefix.empty())
                m_lastFound = int(i);
            return int(i);
        }
    return -1;
}

// Two prefixes bound to one URI make one attribute of two written
// differently. Tags have a few attributes; a crafted one with thousands is
// sorted rather than compared pair by pair.
bool Namespaces::noDuplicates()
{
    m_prefixed.clear();
    for (size_t i = 0; i < m_attributes.size(); ++i)
        if (m_attributeBindings[i] >= 0)
            m_prefixed.push_back(int(i));
    const auto uri = [&](int i) -> const std::string & { return m_bindings[size_t(m_attributeBindings[size_t(i)])].uri; };
    const auto same = [&](int i, int j) {
        return m_attributes[size_t(i)].name.local == m_attributes[size_t(j)].name.local && uri(i) == uri(j);
    };
    const auto refuse = [&](int i, int j) {
        return fail(QStringLiteral("атрибут «%1» повторён в одном теге: префиксы «%2» и «%3» обозначают "
                                   "одно пространство имён")
                        .arg(qstr(m_attributes[size_t(i)].name.local),
                             QString::fromStdString(m_bindings[size_t(m_attributeBindings[size_t(i)])].prefix),
                             QString::fromStdString(m_bindings[size_t(m_attributeBindings[size_t(j)])].prefix)));
    };
    if (m_prefixed.size() <= 16) {
        for (size_t i = 0; i < m_prefixed.size(); ++i)
            for (size_t j = i + 1; j < m_prefixed.size(); ++j)
                if (same(m_prefixed[i], m_prefixed[j]))
                    return refuse(m_prefixed[i], m_prefixed[j]);
        return true;
    }
    std::sort(m_prefixed.begin(), m_prefixed.end(), [&](int i, int j) {
        const std::string_view a = m_attributes[size_t(i)].name.local, b = m_attributes[size_t(j)].name.local;
        return a != b ? a < b : uri(i) < uri(j);
    });
    for (size_t k = 1; k < m_prefixed.size(); ++k)
        if (same(m_prefixed[k - 1], m_prefixed[k]))
            return refuse(std::min(m_prefixed[k - 1], m_prefixed[k]), std::max(m_prefixed[k - 1], m_prefixed[k]));
    return true;
}

bool Namespaces::fail(const QString &message)
{
    m_error = message;
    return false;
}

} // namespace gravik::spreadsheetml::elements
