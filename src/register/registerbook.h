#pragma once

#include "core/pagerenderer.h"
#include "register/blankregister.h"

#include <QStringList>

#include <vector>

// The register's printed forms: the book of issued certificates and the act
// writing off spoiled and unprinted blanks, as ruled tables of text.
namespace gravik::blanks {

struct Table {
    QString title;
    QStringList headers;
    std::vector<double> widths; // shares of the width, one a column
    std::vector<QStringList> rows;
};

// Columns: entry number, full name, registration number, blank, date of
// issue, an empty one to sign in. The issued entries, numbered from 1.
Table bookTable(const std::vector<Entry> &entries, const QString &title, const QStringList &headers);
// Columns: entry number, blank, date, full name, state, reason. The spoiled
// and written-off entries; stateNames are the issued, spoiled and written-off words.
Table actTable(const std::vector<Entry> &entries, const QString &title, const QStringList &headers,
               const QStringList &stateNames);

// How many pages the table takes on this setup's printable area.
int pageCount(const Table &table, const page::PageSetup &setup);
// Draws its pages (the title and the headers repeated on each, "page of pages" below).
page::PageWriter tablePages(const Table &table, const page::PageSetup &setup);

} // namespace gravik::blanks
