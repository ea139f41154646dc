#include "register/registermodel.h"

#include <cstdlib>
#include <iterator>

namespace gravik::blanks {

RegisterModel::RegisterModel(Register &reg, QObject *parent) : QAbstractTableModel(parent), m_register(reg)
{
    connect(&reg, &Register::changed, this, &RegisterModel::refresh);
    refresh();
}

void RegisterModel::setCaptions(const QStringList &headers, const QStringList &stateNames)
{
    m_headers = headers;
    m_states = stateNames;
    emit headerDataChanged(Qt::Horizontal, 0, ColumnCount - 1);
    if (m_count > 0)
        emit dataChanged(index(0, StateColumn), index(m_count - 1, StateColumn));
}

void RegisterModel::setFilter(const Filter &filter)
{
    m_filter = filter;
    refresh();
}

void RegisterModel::refresh()
{
    beginResetModel();
    m_blocks.clear();
    m_count = m_register.isOpen() ? m_register.count(m_filter) : 0;
    endResetModel();
}

const Entry *RegisterModel::entry(int row) const
{
    if (row < 0 || row >= m_count)
        return nullptr;
    const int block = row / BlockRows;
    auto it = m_blocks.find(block);
    if (it == m_blocks.end()) {
        if (m_blocks.size() >= KeptBlocks) // the one furthest from here goes
            m_blocks.erase(std::abs(m_blocks.begin()->first - block) > std::abs(m_blocks.rbegin()->first - block)
                               ? m_blocks.begin()
                               : std::prev(m_blocks.end()));
        it = m_blocks.emplace(block, m_register.entries(m_filter, block * BlockRows, BlockRows)).first;
    }
    const size_t at = size_t(row % BlockRows);
    return at < it->second.size() ? &it->second[at] : nullptr;
}

int RegisterModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_count;
}

int RegisterModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant RegisterModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    const Entry *e = entry(index.row());
    if (!e)
        return {};
    switch (index.column()) {
    case Number: return e->id;
    case Blank: return e->blank.text();
    case Date: return e->recorded.toString(QStringLiteral("dd.MM.yyyy HH:mm"));
    case Surname: return e->pupil.surname;
    case Name: return e->pupil.name;
    case Patronymic: return e->pupil.patronymic;
    case Registration: return e->pupil.registration;
    case Printer: return e->printer;
    case Job: return e->job ? QVariant(e->job) : QVariant();
    case StateColumn: return m_states.value(int(e->state), stateCode(e->state));
    case Reason: return e->reason;
    default: return {};
    }
}

QVariant RegisterModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return m_headers.value(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

} // namespace gravik::blanks
