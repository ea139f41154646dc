#include "students/studentdatabasewindow.h"
#include "core/builtinstrings.h"
#include "core/controlnames.h"

#include "core/programdir.h"
#include "core/textfile.h"
#include "core/twips.h"
#include "widgets/dialogs.h"
#include "widgets/hoverrouter.h"
#include "widgets/imagebutton.h"
#include "students/spreadsheetview.h"
#include "database/studentdatabase.h"
#include "database/databasefiles.h"
#include "language/addedcaptions.h"
#include "language/languagefile.h"
#include "database/workbookmodel.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>

#include <optional>

namespace gravik {

namespace {

const QColor kBackground(200, 227, 251);

const QString &title() { return builtinstrings::text(20); }

// The last load failure told to the operator: the same one is not told again.
QString &lastReportedFailure()
{
    static QString message;
    return message;
}

using Pic = HoverRule::Picture;

HoverTable bazaHoverTable()
{
    return {
        {QStringLiteral("Image1"), {{QStringLiteral("Image1"), Pic::Highlighted}, {QStringLiteral("Image2"), Pic::Normal}}},
        {QStringLiteral("Image2"), {{QStringLiteral("Image1"), Pic::Normal}, {QStringLiteral("Image2"), Pic::Highlighted}}},
        {QStringLiteral("Baza"), {{QStringLiteral("Image1"), Pic::Normal}, {QStringLiteral("Image2"), Pic::Normal}}},
    };
}

} // namespace

bool StudentDatabaseWindow::askSaveChanges(QWidget *parent, const QString &code)
{
    // The title and the first answer are the window's title and its save button's tooltip.
    const bool kazakh = code == LanguageCode::Kazakh;
    const i18n::CaptionPair question = {"Сохранить изменения в базе учеников?",
                                        "Оқушылар базасындағы өзгерістерді сақтау керек пе?"};
    const i18n::CaptionPair dontSave = {"Не сохранять", "Сақтамау"};
    return Dialogs::current().question(parent, builtinstrings::text(kazakh ? 77 : 20), i18n::captionIn(question, code),
                                       builtinstrings::text(kazakh ? 83 : 26), i18n::captionIn(dontSave, code));
}

StudentDatabaseWindow::StudentDatabaseWindow(StudentDatabase &db, QWidget *parent) : QWidget(parent), m_db(db)
{
    setObjectName(QString::fromLatin1(names::DatabaseWindow));
    setWindowTitle(title());
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, kBackground);
    setPalette(pal);
    resize(twips::toScreen(0, 0, ClientWidthTwips, ClientHeightTwips).size());

    m_save = new ImageButton(QStringLiteral("Image1"), QStringLiteral("save"), this);
    m_save->placeAt(240, 120);
    m_save->setToolTip(builtinstrings::text(26));
    m_import = new ImageButton(QStringLiteral("Image2"), QStringLiteral("import"), this);
    m_import->placeAt(840, 120);
    m_import->setToolTip(builtinstrings::text(27));
    m_save->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_S)});
    m_import->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_O)});
    connect(m_save, &ImageButton::clicked, this, [this] { save(); });
    connect(m_import, &ImageButton::clicked, this, [this] { importFile(); });

    m_grid = new SpreadsheetView(db.model(), this);
    m_grid->setGeometry(twips::toScreen(0, GridTopTwips, ClientWidthTwips, 9255));
    m_hover = new HoverRouter(this, bazaHoverTable());
}

// The grid goes with the window: the next use reads the file again.
StudentDatabaseWindow::~StudentDatabaseWindow()
{
    m_db.close();
}

WorkbookModel *StudentDatabaseWindow::model() const
{
    return m_db.model();
}

void StudentDatabaseWindow::creationStep()
{
    m_db.use();

    // No language file: the code stays unset; the language's own check reports it.
    if (const auto code = languagefile::read(languagefile::defaultPath()))
        m_language.setText(*code);

    const QScreen *screen = QGuiApplication::primaryScreen();
    const QRect room = screen ? screen->availableGeometry() : QRect();
    auto stored = [](const char *file) { return textfile::readFirstLine(programdir::file(QString::fromLatin1(file))); };
    // Half a pixel less than the room: the size is rounded to whole pixels on the way.
    m_storedSize.setWidth(studentdb::storedSizeTwips(stored("data/pw.txt"), ClientWidthTwips + FrameWidthTwips,
                                                     int(twips::fromDevice(room.width() - 0.5, twips::screenDpiX()))));
    m_storedSize.setHeight(studentdb::storedSizeTwips(stored("data/ph.txt"), ClientHeightTwips + FrameHeightTwips,
                                                      int(twips::fromDevice(room.height() - 0.5, twips::screenDpiY()))));
    setOuterWidthTwips(m_storedSize.width());
    setOuterHeightTwips(m_storedSize.height());
    m_storedPixels = size();
    if (screen)
        move(room.center() - rect().center());
}

void StudentDatabaseWindow::reportLoad(bool ok, const QString &message)
{
    if (ok) {
        lastReportedFailure().clear();
        return;
    }
    const QString text = QStringLiteral("Не удалось загрузить базу учеников.\n\n%1\n\n"
                                        "Таблица показывает пустую базу. Файл не изменится, "
                                        "пока вы не нажмёте «Сохранить».")
                             .arg(message);
    if (text == lastReportedFailure())
        return;
    lastReportedFailure() = text;
    Dialogs::current().message(nullptr, Dialogs::Icon::Warning, title(), text);
}

bool StudentDatabaseWindow::save()
{
    m_grid->commitEdit(); // a cell being typed in is part of what is saved
    return save(m_db, this);
}

bool StudentDatabaseWindow::save(StudentDatabase &db, QWidget *parent)
{
    QString error;
    if (db.save(&error))
        return true;
    qWarning("%s", qPrintable(error));
    Dialogs::current().message(parent, Dialogs::Icon::Warning, QStringLiteral("Ошибка"),
                               QStringLiteral("Не возможно сохранить. Закройте Excell и повторите попытку"));
    return false;
}

bool StudentDatabaseWindow::importFile()
{
    const QString directory = m_lastImport.isEmpty() ? programdir::path() : QFileInfo(m_lastImport).absolutePath();
    const QString chosen = Dialogs::current().openFile(this, builtinstrings::text(27), directory,
                                                       QStringLiteral("XML (*.xml)"));
    if (chosen.isEmpty())
        return false;
    m_lastImport = chosen;
    return importFrom(chosen);
}

bool StudentDatabaseWindow::importFrom(const QString &path)
{
    spreadsheetml::Error error;
    if (m_db.importFrom(path, &error))
        return true;
    Dialogs::current().message(this, Dialogs::Icon::Warning, title(),
                               QStringLiteral("Импорт не выполнен, таблица осталась прежней.\n\n%1").arg(error.message));
    return false;
}

bool StudentDatabaseWindow::hasUnsavedChanges() const
{
    return m_db.isModified();
}

void StudentDatabaseWindow::offerSaveBeforeExit(StudentDatabase &db, QWidget *parent, const QString &code)
{
    if (db.isInUse() && db.isModified() && askSaveChanges(parent, code))
        save(db, parent);
}

QSize StudentDatabaseWindow::outerSizeTwips() const
{
    return QSize(qRound(twips::fromDevice(width(), twips::screenDpiX())) + FrameWidthTwips,
                 qRound(twips::fromDevice(height(), twips::screenDpiY())) + FrameHeightTwips);
}

void StudentDatabaseWindow::setOuterWidthTwips(int w)
{
    resize(std::max(1, twips::toPixels(w - FrameWidthTwips, twips::screenDpiX())), height());
    fitGrid(); // a hidden window gets its resize event only when shown
}

void StudentDatabaseWindow::setOuterHeightTwips(int h)
{
    resize(width(), std::max(1, twips::toPixels(h - FrameHeightTwips, twips::screenDpiY())));
    fitGrid();
}

void StudentDatabaseWindow::fitGrid()
{
    const QSize outer = outerSizeTwips();
    // Too small a window leaves the grid as it was.
    m_grid->setSizeTwips(outer.width() - GridMarginWidthTwips, outer.height() - GridMarginHeightTwips);
}

void StudentDatabaseWindow::resizeEvent(QResizeEvent *e)
{
    QWidget::resizeEvent(e);
    fitGrid();
}

void StudentDatabaseWindow::showEvent(QShowEvent *e)
{
    QWidget::showEvent(e);
    fitGrid();
}

void StudentDatabaseWindow::writeSize()
{
    // A side the operator left alone keeps its stored number: whole pixels
    // would not give it back.
    const QSize measured = outerSizeTwips();
    const QSize outer(width() == m_storedPixels.width() ? m_storedSize.width() : measured.width(),
                      height() == m_storedPixels.height() ? m_storedSize.height() : measured.height());
    QDir().mkpath(programdir::file(QStringLiteral("data")));
    const std::pair<const char *, int> files[] = {{"data/pw.txt", outer.width()}, {"data/ph.txt", outer.height()}};
    for (const auto &[file, value] : files) {
        QString error;
        if (!textfile::writeLines(programdir::file(QString::fromLatin1(file)), {QString::number(value)}, &error))
            Dialogs::current().message(this, Dialogs::Icon::Warning, title(), error);
    }
}

void StudentDatabaseWindow::closeEvent(QCloseEvent *e)
{
    m_grid->commitEdit();
    if (hasUnsavedChanges() && askSaveChanges(this, m_language.shown()) && !save()) {
        e->ignore(); // the save failed: keep the window and the work in it
        return;
    }
    writeSize();
    e->accept();
}

} // namespace gravik
