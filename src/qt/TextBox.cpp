#include "qt/TextBox.h"

#include <QFocusEvent>
#include <QMouseEvent>

TextBox::TextBox(QWidget *parent) : QLineEdit(parent) {}

void TextBox::Assign(const QString &value) {
    // setText would leave this same state behind: the text, the cursor at its end, no
    // selection, not modified.
    if (!isModified() && !hasSelectedText() && cursorPosition() == value.size() && text() == value)
        return;
    setText(value);
}

bool TextBox::SetFocus() {
    if (!window()->isVisible())
        return false;
    setFocus(Qt::OtherFocusReason);
    return true;
}

void TextBox::focusInEvent(QFocusEvent *event) {
    QLineEdit::focusInEvent(event);
    // The press that brought the focus comes next and would put the cursor where it landed.
    holdSelection_ = event->reason() == Qt::MouseFocusReason;
    emit GotFocus();
}

void TextBox::mousePressEvent(QMouseEvent *event) {
    if (holdSelection_ && event->button() == Qt::LeftButton) {
        event->accept();
        return;
    }
    holdSelection_ = false;
    QLineEdit::mousePressEvent(event);
}

void TextBox::mouseMoveEvent(QMouseEvent *event) {
    if (holdSelection_) {
        event->accept();
        return;
    }
    QLineEdit::mouseMoveEvent(event);
}

void TextBox::mouseReleaseEvent(QMouseEvent *event) {
    QLineEdit::mouseReleaseEvent(event);
    holdSelection_ = false;
}
