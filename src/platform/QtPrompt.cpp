#include "QtPrompt.h"

#include <QApplication>
#include <QMessageBox>

namespace muralto {

namespace {
QWidget* Parent() {
    return QApplication::activeWindow();
}
QString Q(const std::string& s) {
    return QString::fromStdString(s);
}
} // namespace

void QtPrompt::Inform(const std::string& text, const std::string& title) {
    QMessageBox::information(Parent(), Q(title), Q(text));
}

void QtPrompt::ShowError(const std::string& text, const std::string& title) {
    QMessageBox::critical(Parent(), Q(title), Q(text));
}

bool QtPrompt::AskYesNo(const std::string& text, const std::string& title) {
    return QMessageBox::warning(Parent(), Q(title), Q(text), QMessageBox::Yes | QMessageBox::No,
                                QMessageBox::No) == QMessageBox::Yes;
}

} // namespace muralto
