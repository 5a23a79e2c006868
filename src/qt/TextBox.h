#pragma once

#include <QLineEdit>

// A one-line text box that raises GotFocus on every focus entry. A selection made while the
// focus arrives by a mouse press survives that press.
class TextBox : public QLineEdit {
    Q_OBJECT
  public:
    explicit TextBox(QWidget *parent = nullptr);

    // Same as setText, but skips the work when it would change nothing visible or stored.
    void Assign(const QString &text);

    // False while the window is not shown: the focus cannot move then.
    bool SetFocus();

  signals:
    void GotFocus();

  protected:
    void focusInEvent(QFocusEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

  private:
    bool holdSelection_ = false;
};
