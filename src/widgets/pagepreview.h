#pragma once

#include "core/certificate.h"

#include <QDialog>
#include <QImage>

#include <functional>

class QLabel;
class QPushButton;
class QScrollArea;

namespace gravik {

// The pages of a class as they will come out, one at a time, drawn by the
// page renderer; the operator pages through them (PageUp, PageDown), looks
// closer (Ctrl and +, -, 0, or the wheel) and goes on or cancels.
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

    // How much larger than the whole sheet in the window the sheet is drawn: 1 fits it.
    double zoom() const { return m_zoom; }
    void setZoom(double zoom);
    QWidget *sheet() const { return m_sheet; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void render();
    void placeSheet();

    int m_count;
    PageSource m_source;
    QString m_code;
    int m_page = 0;
    double m_zoom = 1;
    QImage m_image; // the page shown, drawn at the resolution it is shown at
    QScrollArea *m_scroll;
    QWidget *m_sheet;
    QLabel *m_counter;
    QPushButton *m_previous, *m_next;
};

} // namespace gravik
