#include "settings/aboutwindow.h"
#include "core/builtinstrings.h"

#include "core/twips.h"
#include "widgets/imagebutton.h"
#include "language/applicationtable.h"
#include "i18n/interfacelanguage.h"

#include <QLabel>

namespace gravik {

namespace {

QLabel *line(QWidget *parent, const char *name, const QString &text, int l, int t, int w, int h, double pt,
             Qt::Alignment align = Qt::AlignLeft)
{
    auto *lab = new QLabel(text, parent);
    lab->setObjectName(QString::fromLatin1(name));
    lab->setTextFormat(Qt::PlainText);
    lab->setGeometry(twips::toScreen(l, t, w, h));
    QFont f(QStringLiteral("Courier New"));
    f.setStyleHint(QFont::TypeWriter);
    f.setPointSizeF(pt);
    f.setBold(true);
    lab->setFont(f);
    lab->setAlignment(align | Qt::AlignTop);
    lab->setWordWrap(true);
    return lab;
}

} // namespace

AboutWindow::AboutWindow(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Help"));
    setWindowTitle(builtinstrings::text(22));
    setFixedSize(twips::toScreen(0, 0, 6585, 4470).size());

    auto *icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("Image1"));
    const QRect r = twips::toScreen(120, 0, 1425, 1305);
    icon->setGeometry(r);
    icon->setPixmap(renderIcon(QStringLiteral(":/icons/gravik.svg"), r.size(), devicePixelRatioF()));

    line(this, "Label1", QStringLiteral("Gravik"), 1200, 0, 5175, 1215, 60, Qt::AlignHCenter)->setWordWrap(false);
    line(this, "Label2", builtinstrings::text(25), 480, 1320, 5415, 615, 12);
    line(this, "Label3", QStringLiteral("Версия ") + i18n::ProgramVersion, 480, 2040, 5415, 375, 12);
    line(this, "Label4", builtinstrings::text(57), 480, 2520, 5415, 495, 12);
    line(this, "Label6", builtinstrings::text(52) + QLatin1Char(' ') + i18n::MakerTelephone, 480, 3240, 5535, 255, 12);
    line(this, "Label7", EMailLine, 480, 3600, 3615, 375, 12);
    line(this, "Label5", MakerLine, 120, 4080, 6255, 255, 12, Qt::AlignHCenter);
}

void AboutWindow::creationStep()
{
    if (const auto code = InterfaceLanguage::readStoredCode())
        m_language.setText(*code);
}

} // namespace gravik
