#include "qtmessageboxes.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

QtMessageBoxes::QtMessageBoxes(QWidget *mainWindow)
    : m_window(mainWindow)
    , m_hasWindow(mainWindow != nullptr)
{
}

QtMessageBoxes::~QtMessageBoxes()
{
    *m_alive = false;
}

void QtMessageBoxes::showMessage(const QString &text)
{
    show(Kind::Message, text, {});
}

void QtMessageBoxes::showMessage(const QString &text, std::function<void()> closed)
{
    show(Kind::Message, text, std::move(closed));
}

void QtMessageBoxes::showError(const QString &text)
{
    show(Kind::Error, text, {});
}

void QtMessageBoxes::show(Kind kind, const QString &text, std::function<void()> closed)
{
    Held held{kind, text, std::move(closed)};
    if (m_hasWindow && !m_windowShown)
        m_held.append(std::move(held));
    else
        showNow(held);
}

void QtMessageBoxes::windowShown()
{
    if (m_windowShown)
        return;
    m_windowShown = true;
    // From the event loop, after the windows that the start shows from there (the download
    // window of a solo game), so the held boxes come out on top of them.
    QTimer::singleShot(0, [this, alive = m_alive] {
        if (*alive)
            showHeld();
    });
}

void QtMessageBoxes::showHeld()
{
    const QList<Held> held = std::exchange(m_held, {});
    for (const Held &h : held)
        showNow(h);
}

void QtMessageBoxes::showNow(const Held &held)
{
    if (held.kind == Kind::Error && m_report) {
        // One report at a time: a flood of failing messages must not open a box for each.
        ++m_moreReports;
        m_report->setText(m_reportText
                          + QStringLiteral("\n\n(%1 more error%2 since this one; the last: %3)")
                                .arg(m_moreReports)
                                .arg(m_moreReports == 1 ? QString() : QStringLiteral("s"), held.text));
        return;
    }
    if (m_hasWindow && !m_window)
        return; // the main window is gone; nobody would see the box
    const QMessageBox::Icon icon = held.kind == Kind::Error ? QMessageBox::Critical : QMessageBox::Information;
    // With a parent the box stays above the main window and closes with it; a parentless box
    // (no main window) ends the program when it is the last window closed.
    auto *box = new QMessageBox(icon, QApplication::applicationName(), held.text, QMessageBox::Ok, m_window);
    box->setTextFormat(Qt::PlainText);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    if (m_window)
        box->setWindowFlag(Qt::WindowStaysOnTopHint); // above the download window too
    if (held.closed)
        QObject::connect(box, &QDialog::finished, box, [closed = held.closed] { closed(); });
    if (held.kind == Kind::Error) {
        m_report = box;
        m_reportText = held.text;
        m_moreReports = 0;
    }
    box->show();
    box->raise();
}

QMessageBox *QtMessageBoxes::openReport() const
{
    return m_report.data();
}

bool QtMessageBoxes::confirm(const QString &text)
{
    QMessageBox box(QMessageBox::Question, QApplication::applicationName(), text,
                    QMessageBox::Yes | QMessageBox::No, QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}
