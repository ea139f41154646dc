#pragma once

#include "register/blankregister.h"

#include <QAbstractTableModel>
#include <QStringList>

#include <map>

namespace gravik::blanks {

// The register's entries under a filter, oldest first, for a table view. Only
// the count is read up front; rows are read in blocks as the view asks for them.
class RegisterModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { Number, Blank, Date, Surname, Name, Patronymic, Registration, Printer, Job, StateColumn, Reason,
                  ColumnCount };

    explicit RegisterModel(Register &reg, QObject *parent = nullptr);

    // Column headers and the words of the three states, in the interface's language.
    void setCaptions(const QStringList &headers, const QStringList &stateNames);
    void setFilter(const Filter &filter);
    const Filter &filter() const { return m_filter; }
    // Reads the count again and forgets the rows read (after a change).
    void refresh();

    const Entry *entry(int row) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Rows a block holds, and how many blocks are kept.
    static constexpr int BlockRows = 256;
    static constexpr size_t KeptBlocks = 16;

private:
    Register &m_register;
    Filter m_filter;
    int m_count = 0;
    QStringList m_headers, m_states;
    mutable std::map<int, std::vector<Entry>> m_blocks;
};

} // namespace gravik::blanks
