#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

// A modal message box whose text is shown as it stands: a class name, a file
// name or a language line with markup in it is text, not formatting.
void showPlainMessage(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text);
