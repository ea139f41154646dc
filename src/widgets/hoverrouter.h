#pragma once

#include <QObject>
#include <QString>

#include <vector>

class QWidget;

namespace gravik {

// A window's hover table as data: when the mouse moves over the control named
// `source` (the window's own object name for its background), each listed
// ImageButton shows the given picture. Controls not in the table change nothing.
struct HoverRule {
    enum class Picture { Normal, Highlighted };
    QString source;
    std::vector<std::pair<QString, Picture>> effects;
};
using HoverTable = std::vector<HoverRule>;

// Watches mouse moves over one window and applies its hover table; the source
// of a move is the deepest visible control under the cursor.
class HoverRouter : public QObject
{
    Q_OBJECT
public:
    HoverRouter(QWidget *window, HoverTable table);

    // Applies the rule for the control named source, as if the mouse moved over it.
    void moveOver(const QString &source);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_window;
    HoverTable m_table;
};

} // namespace gravik
