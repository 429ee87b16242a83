#include "messagebox.h"

#include <QIcon>
#include <QMessageBox>
#include <QPushButton>

void showMessage(QWidget *parent, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(ApplicationTitle), text,
                    QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("MessageBox"));
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    // Some styles put a picture on dialog buttons; this box has none at all.
    box.button(QMessageBox::Ok)->setIcon(QIcon());
    box.exec();
}
