#pragma once

#include "core/blankunderlay.h"
#include "editor/blankview.h"
#include "language/blankcaptions.h"

#include <QObject>
#include <QPointer>

class QDialog;
class QMenu;
class QWidget;

namespace gravik {

class LanguageCode;

// The scanned blank of the main window: its picture and placement, the view
// under the fields, and the page's context menu (choose the picture, show or
// hide it, its offset), captioned in the window's language.
class BlankControls : public QObject
{
    Q_OBJECT
public:
    BlankControls(QWidget &page, const LanguageCode &language);
    ~BlankControls() override;

    BlankUnderlay &underlay() { return m_blank; }
    BlankView *view() const { return m_view; }

    // Reads data/blank.png and data/blank.txt; a problem is told once.
    void load();

    // The menu of a right click at pos (page pixels): only on the page itself,
    // not on the panel or a scroll bar. Shown without waiting.
    QMenu *popupMenu(const QPoint &pos);
    void chooseBlank();
    QDialog *showOffsetWindow();

private:
    QString caption(i18n::BlankCaption which) const;

    QWidget &m_page;
    const LanguageCode &m_language;
    BlankUnderlay m_blank;
    QPointer<BlankView> m_view; // a child of the page, which may delete it first
    QPointer<QMenu> m_menu;
    QPointer<QDialog> m_offset;
};

} // namespace gravik
