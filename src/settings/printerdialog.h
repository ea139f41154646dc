#pragma once

#include <QDialog>
#include <QStringList>

class QListWidget;

namespace gravik {

// Lists the system's printers with the default one chosen; OK confirms the
// printer that is chosen then.
class PrinterDialog : public QDialog
{
    Q_OBJECT
public:
    PrinterDialog(const QStringList &printers, const QString &current, QWidget *parent = nullptr);

    QString chosen() const;
    QListWidget *list() const { return m_list; }

private:
    QListWidget *m_list;
};

} // namespace gravik
