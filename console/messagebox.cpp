#include "messagebox.h"

#include <QMessageBox>

void showMessage(QWidget *parent, const QString &text) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(ApplicationTitle), text,
                    QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("MessageBox"));
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}
