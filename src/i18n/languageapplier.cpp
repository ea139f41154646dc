#include "i18n/languageapplier.h"

#include "language/applicationtable.h"
#include "language/translationtable.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QWidget>

#include <deque>

namespace gravik::i18n {

namespace {

void setCaption(QWidget *c, const QString &text)
{
    if (auto *l = qobject_cast<QLabel *>(c))
        l->setText(text);
    else if (auto *b = qobject_cast<QAbstractButton *>(c))
        b->setText(text);
    else if (auto *g = qobject_cast<QGroupBox *>(c))
        g->setTitle(text);
    else if (c->metaObject()->indexOfProperty("text") >= 0)
        c->setProperty("text", text);
}

} // namespace

QWidget *findControl(QWidget *window, const QString &name)
{
    std::deque<QWidget *> queue{window};
    while (!queue.empty()) {
        QWidget *w = queue.front();
        queue.pop_front();
        for (QObject *o : w->children()) {
            auto *c = qobject_cast<QWidget *>(o);
            if (!c || c->isWindow())
                continue;
            if (c->objectName() == name)
                return c;
            queue.push_back(c);
        }
    }
    return nullptr;
}

int applyCells(const QString &windowName, const QString &code, const TranslationTable &table,
               const CellWriter &cells)
{
    int set = 0;
    if (cells)
        for (const auto &[row, text] : resolve(windowName, code, table))
            if (row.target == Target::Cell && cells(row.control, text))
                ++set;
    return set;
}

int applyToWindow(QWidget *window, const QString &code, const TranslationTable &table, const CellWriter &cells)
{
    if (!window)
        return 0;
    int set = 0;
    for (const auto &[row, text] : resolve(window->objectName(), code, table)) {
        switch (row.target) {
        case Target::Title:
            window->setWindowTitle(text);
            break;
        case Target::Cell:
            if (!cells || !cells(row.control, text))
                continue;
            break;
        case Target::Caption:
        case Target::ToolTip: {
            QWidget *c = findControl(window, row.control);
            if (!c)
                continue;
            if (row.target == Target::Caption)
                setCaption(c, text);
            else
                c->setToolTip(text);
            break;
        }
        }
        ++set;
    }
    return set;
}

} // namespace gravik::i18n
