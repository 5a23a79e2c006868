// The loupe panel below the window's other controls, and the preview's menu that shows it.
#include "core/loupe/LoupeMenu.h"
#include "qt/FenwoMainWindow.h"
#include "qt/LoupeBox.h"

#include <QLabel>
#include <QMenu>

void FenwoMainWindow::ShowLoupePanel(bool visible) {
    for (const WindowControl &row : WindowControls())
        if (OnLoupePanel(row))
            Control(row.id)->setVisible(visible);
    // The window grows and shrinks at its bottom edge; its top-left corner stays put.
    setFixedSize(FenwoMain::ScaleWidth, core_->ClientAreaHeight());
}

void FenwoMainWindow::ShowLoupe(const LoupePicture &picture) {
    Picture5->Show(picture);
    Label4->setText(QString::fromStdString(picture.position));
    Label5->setText(QString::fromStdString(picture.scale));
}

void FenwoMainWindow::ShowPreviewMenu(const QPoint &at) {
    QMenu menu(this);
    menu.setFont(Label2->font()); // the window's Japanese face, not the menu's own
    for (const MenuEntry &entry : LoupeMenu(core_->Loupe(), core_->Space())) {
        if (entry.command == 0) {
            menu.addSeparator();
            continue;
        }
        QAction *action = menu.addAction(QString::fromStdString(entry.text));
        action->setCheckable(true);
        action->setChecked(entry.checked);
        action->setData(entry.command);
    }
    if (const QAction *chosen = menu.exec(at))
        core_->PreviewMenu_Click(chosen->data().toInt());
}
