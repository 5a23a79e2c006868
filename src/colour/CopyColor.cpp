#include "app/FenwoMain.h"
#include "app/PictureBox.h"
#include "app/TextBox.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

// One call replaces the whole clipboard: text and bitmap go up together.
void FenwoMain::CopyColor() {
    auto *content = new QMimeData;
    content->setText(Text2->text());
    content->setImageData(Picture1->Image());
    QGuiApplication::clipboard()->setMimeData(content);
}
