#pragma once

#include "database/spreadsheetmlelements.h"

#include <QString>

#include <string>
#include <string_view>
#include <vector>

// Namespace prefixes resolved as the start tags come: expat reads the names
// as written (its own namespace processing costs more than all the rest of
// the reading), and the declarations in scope are kept here, the innermost
// last, so that an element or attribute is known by its namespace URI
// whatever prefix its writer chose.
namespace gravik::spreadsheetml::elements {

class Namespaces
{
public:
    Namespaces();

    // A start tag as expat gives it: its own declarations come into scope,
    // then its names are resolved. False, with error(), when the names break
    // the rules of XML namespaces.
    bool open(const char *name, const char **attributes);
    // The end of the element last opened: what it declared goes out of scope.
    void close();

    const Name &name() const { return m_name; }
    Attributes attributes() const { return Attributes(m_attributes.data(), m_attributes.size()); }
    const QString &error() const { return m_error; }

private:
    struct Binding {
        std::string prefix; // empty for the default namespace
        std::string uri;    // empty: no namespace (xmlns="")
        Ns ns = Ns::None;
        int depth = 0; // of the element that declared it
    };

    bool declare(std::string_view prefix, std::string_view uri);
    int find(std::string_view prefix); // the binding in scope, -1 for none
    void scopeChanged();
    bool resolveAttributes(const char **attributes);
    bool noDuplicates();
    bool fail(const QString &message);

    std::vector<Binding> m_bindings; // slots kept when they go out of scope: reused without allocating
    size_t m_inScope = 0;
    int m_depth = 0;
    int m_lastFound = -1; // the binding of the prefix last looked up, while the scope stays
    int m_default = -1;   // the default namespace's binding
    Name m_name;
    std::vector<Attribute> m_attributes;
    std::vector<int> m_attributeBindings; // of each attribute, -1 without a prefix
    std::vector<int> m_prefixed;          // scratch: the attributes with a prefix
    QString m_error;
};

} // namespace gravik::spreadsheetml::elements
