#include "settings/printerdialog.h"
#include "core/builtinstrings.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace gravik {

PrinterDialog::PrinterDialog(const QStringList &printers, const QString &current, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("PrinterDialog"));
    setWindowTitle(QStringLiteral("Принтер по умолчанию"));
    auto *layout = new QVBoxLayout(this);
    auto *caption = new QLabel(QStringLiteral("Выберите принтер, на который будут печататься аттестаты:"), this);
    caption->setObjectName(QStringLiteral("Label1"));
    caption->setWordWrap(true);
    layout->addWidget(caption);

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("List1"));
    m_list->addItems(printers);
    const QList<QListWidgetItem *> found = m_list->findItems(current, Qt::MatchExactly);
    m_list->setCurrentItem(found.isEmpty() ? m_list->item(0) : found.first());
    layout->addWidget(m_list);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    auto *ok = new QPushButton(QStringLiteral("ОК"), this);
    ok->setObjectName(QStringLiteral("Command1"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(builtinstrings::text(50), this);
    cancel->setObjectName(QStringLiteral("Command2"));
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);

    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    ok->setEnabled(m_list->currentItem() != nullptr);
}

QString PrinterDialog::chosen() const
{
    const QListWidgetItem *item = m_list->currentItem();
    return item ? item->text() : QString();
}

} // namespace gravik
