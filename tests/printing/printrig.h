#pragma once

#include "widgets/windowregistry.h"
#include "editor/certificatewindow.h"
#include "editor/fieldlabel.h"
#include "widgets/imagebutton.h"
#include "printdialog/printdialog.h"
#include "support/programfolder.h"
#include "support/mainwindow.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QtTest>

#include <memory>

// The main window with its print button wired to a print dialog, as the
// program wires it, in a program folder of its own.
class PrintRig
{
public:
    explicit PrintRig(gravik::PrintDialog::PagePrinter printer = {})
    {
        main = std::make_unique<TestMainWindow>(
            [] { return QStringList{"Times New Roman", "Arial", "Courier New"}; });
        gravik::registerPrintDialog(registry, main->document(), *main, *main->button(QStringLiteral("Image5")),
                                    std::move(printer));
        main->setRegistry(&registry);
        QString error;
        started = main->startUp(&error);
        if (!started)
            qWarning() << error;
        main->show();
    }
    ~PrintRig()
    {
        registry.destroyAll();
        for (QWidget *w : QApplication::topLevelWidgets())
            if (qobject_cast<QMessageBox *>(w))
                delete w;
    }

    gravik::PrintDialog *dialog() const { return registry.existing<gravik::PrintDialog>(gravik::WindowKind::Print); }

    static QPoint centreOf(QWidget *w) { return w->rect().center(); }
    static void click(QWidget *w) { QTest::mouseClick(w, Qt::LeftButton, {}, centreOf(w)); }

    // The main window's print button.
    gravik::PrintDialog *openDialog()
    {
        click(main->button(QStringLiteral("Image5")));
        return dialog();
    }
    // The dialog's print button.
    void print() { click(dialog()->button(QStringLiteral("Image1"))); }

    void type(const char *box, const QString &text) { main->box(QString::fromLatin1(box))->setText(text); }

    bool anyFieldRed() const
    {
        for (int n = 1; n <= gravik::FieldCount; ++n)
            if (main->fieldLabel(n)->color() == QColor(255, 0, 0))
                return true;
        return false;
    }

    static QMessageBox *message()
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *box = qobject_cast<QMessageBox *>(w); box && box->isVisible())
                return box;
        return nullptr;
    }

    ProgramFolder folder;
    std::unique_ptr<gravik::CertificateWindow> main;
    gravik::WindowRegistry registry; // after main: destroyed first, with the dialog
    bool started = false;
};
