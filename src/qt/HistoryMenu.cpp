// The strip's right-click menu and the dialogs its commands ask for.
#include "core/history/PaletteFormats.h"
#include "qt/FenwoMainWindow.h"
#include "qt/HistoryStrip.h"

#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>

namespace {

// Shows entries in menu, each action carrying its command.
void Fill(QMenu &menu, const std::vector<MenuEntry> &entries) {
    for (const MenuEntry &entry : entries) {
        if (entry.command == 0) {
            menu.addSeparator();
            continue;
        }
        QAction *action = menu.addAction(QString::fromStdString(entry.text));
        action->setCheckable(entry.checkable);
        action->setChecked(entry.checked);
        action->setEnabled(entry.enabled);
        action->setData(entry.command);
    }
}

QString Text(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

QString Filter(const PaletteFormat &type) {
    return Text(type.label) + " (*." + Text(type.extension) + ")";
}

} // namespace

void FenwoMainWindow::ShowStripMenu(qint64 index, const QPoint &at) {
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("StripMenu"));
    menu.setFont(Label2->font()); // the window's Japanese face, not the menu's own
    Fill(menu, core_->StripMenuAt(index));
    if (const QAction *chosen = menu.exec(at))
        core_->StripMenu_Click(chosen->data().toInt(), index);
}

bool FenwoMainWindow::AskYesNo(const std::string &question) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("確認"), QString::fromStdString(question),
                    QMessageBox::NoButton, this);
    box.setFont(Label2->font());
    QPushButton *yes = box.addButton(QStringLiteral("はい(&Y)"), QMessageBox::YesRole);
    box.setDefaultButton(box.addButton(QStringLiteral("いいえ(&N)"), QMessageBox::NoRole));
    box.exec();
    return box.clickedButton() == yes;
}

std::optional<WindowView::SaveChoice>
FenwoMainWindow::AskSavePath(std::span<const PaletteFormat> types) {
    QStringList filters;
    for (const PaletteFormat &type : types)
        filters << Filter(type);
    QFileDialog dialog(this, QStringLiteral("書き出し"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(QStringLiteral("gpl"));
    dialog.selectFile(QStringLiteral("Kalvor.gpl"));
    // The suffix a typed name gets follows the type chosen.
    connect(&dialog, &QFileDialog::filterSelected, &dialog,
            [&dialog, &filters, types](const QString &filter) {
                if (const auto at = filters.indexOf(filter); at >= 0)
                    dialog.setDefaultSuffix(Text(types[static_cast<std::size_t>(at)].extension));
            });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    // A name typed with a type's extension is of that type, whatever the list shows.
    const QString path = dialog.selectedFiles().first();
    qsizetype type = std::max<qsizetype>(filters.indexOf(dialog.selectedNameFilter()), 0);
    for (std::size_t i = 0; i < types.size(); ++i)
        if (path.endsWith('.' + Text(types[i].extension), Qt::CaseInsensitive))
            type = static_cast<qsizetype>(i);
    return SaveChoice{QFile::encodeName(path).toStdString(), static_cast<std::size_t>(type)};
}
