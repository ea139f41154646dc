#include "widgets/imagebutton.h"

#include "core/twips.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmapCache>
#include <QShortcut>
#include <QToolTip>

namespace gravik {

QPixmap renderIcon(const QString &resourcePath, const QSize &size, qreal dpr)
{
    const QString key = QStringLiteral("%1@%2x%3@%4")
                            .arg(resourcePath).arg(size.width()).arg(size.height()).arg(dpr);
    QPixmap pm;
    if (QPixmapCache::find(key, &pm))
        return pm;
    pm = iconPicture(resourcePath, size * dpr);
    pm.setDevicePixelRatio(dpr);
    QPixmapCache::insert(key, pm);
    return pm;
}

ImageButton::ImageButton(const QString &objectName, const QString &icon, QWidget *parent)
    : QAbstractButton(parent), m_icon(icon)
{
    setObjectName(objectName);
    // Tab only: a click leaves the focus where the operator was typing.
    setFocusPolicy(Qt::TabFocus);
    const QRect r = twips::toScreen(0, 0, SizeTwips, SizeTwips);
    setFixedSize(r.size());
    setCursor(Qt::PointingHandCursor);
}

void ImageButton::placeAt(int leftTwips, int topTwips)
{
    move(twips::toScreen(leftTwips, topTwips, 0, 0).topLeft());
}

void ImageButton::showNormalPicture()
{
    if (m_highlighted) {
        m_highlighted = false;
        update();
    }
}

void ImageButton::showHighlightedPicture()
{
    if (!m_highlighted) {
        m_highlighted = true;
        update();
    }
}

namespace {

bool isReturn(const QKeyEvent *e)
{
    return (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) &&
           (e->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

} // namespace

void ImageButton::setShortcuts(const QList<QKeySequence> &keys)
{
    for (QShortcut *s : findChildren<QShortcut *>(Qt::FindDirectChildrenOnly))
        delete s;
    m_named = keys.value(0);
    for (const QKeySequence &k : keys) {
        auto *s = new QShortcut(k, this);
        connect(s, &QShortcut::activated, this, [this] {
            if (isEnabled())
                click();
        });
    }
}

QString ImageButton::shortcutText() const
{
    return m_named.toString(QKeySequence::NativeText);
}

QString ImageButton::toolTipShown() const
{
    const QString keys = shortcutText();
    if (keys.isEmpty())
        return toolTip();
    return toolTip().isEmpty() ? keys : QStringLiteral("%1 (%2)").arg(toolTip(), keys);
}

bool ImageButton::event(QEvent *e)
{
    switch (e->type()) {
    case QEvent::ToolTip:
        QToolTip::showText(static_cast<QHelpEvent *>(e)->globalPos(), toolTipShown(), this);
        return true;
    case QEvent::ShortcutOverride:
        // A focused button takes Return itself, before a window's Return shortcut.
        if (isReturn(static_cast<QKeyEvent *>(e))) {
            e->accept();
            return true;
        }
        break;
    default:
        break;
    }
    return QAbstractButton::event(e);
}

void ImageButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QString path = QStringLiteral(":/icons/%1%2.svg").arg(m_icon, m_highlighted ? "-hl" : "");
    p.drawPixmap(0, 0, renderIcon(path, size(), devicePixelRatioF()));
    if (hasFocus()) {
        // Drawn over the picture's edge, so the button keeps its place and size.
        QPen pen(palette().color(QPalette::Highlight), 2);
        pen.setJoinStyle(Qt::MiterJoin);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
    }
}

void ImageButton::keyPressEvent(QKeyEvent *e)
{
    if (isReturn(e)) {
        if (!e->isAutoRepeat())
            click();
        e->accept();
        return;
    }
    QAbstractButton::keyPressEvent(e); // Space presses, its release clicks
}

void ImageButton::mousePressEvent(QMouseEvent *e)
{
    QAbstractButton::mousePressEvent(e);
    if (e->button() == Qt::LeftButton)
        showNormalPicture();
}

} // namespace gravik
