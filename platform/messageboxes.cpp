#include "messageboxes.h"

#include <QApplication>
#include <QMessageBox>

namespace {
void showBox(QMessageBox::Icon icon, const QString &text)
{
    // Parentless: the box stays when the main window closes, and the program ends when
    // the last window (this box included) is closed.
    auto *box = new QMessageBox(icon, QApplication::applicationName(), text, QMessageBox::Ok);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
}
} // namespace

void QtMessageBoxes::showMessage(const QString &text)
{
    showBox(QMessageBox::Information, text);
}

void QtMessageBoxes::showError(const QString &text)
{
    showBox(QMessageBox::Critical, text);
}

bool QtMessageBoxes::confirm(const QString &text)
{
    return QMessageBox::question(QApplication::activeWindow(), QApplication::applicationName(), text,
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        == QMessageBox::Yes;
}
