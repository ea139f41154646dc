#pragma once

#include "core/certificate.h"

#include <QDialog>
#include <QImage>

#include <functional>

class QLabel;
class QPushButton;

namespace gravik {

// The pages of a class as they will come out, one at a time, drawn by the
// page renderer; the operator pages through them and goes on or cancels.
class PagePreview : public QDialog
{
    Q_OBJECT
public:
    using PageSource = std::function<Certificate(int index)>;

    // accept: the caption of the button that goes on (print or save).
    PagePreview(int count, PageSource page, const QString &accept, const QString &languageCode,
                QWidget *parent = nullptr);

    int page() const { return m_page; }
    int count() const { return m_count; }
    void showPage(int index);
    QLabel *counter() const { return m_counter; }

protected:
    void paintEvent(QPaintEvent *e) override;

private:
    QRect sheetRect() const;

    int m_count;
    PageSource m_source;
    QString m_code;
    int m_page = 0;
    QImage m_image; // the page shown
    QLabel *m_counter;
    QPushButton *m_previous, *m_next;
};

} // namespace gravik
