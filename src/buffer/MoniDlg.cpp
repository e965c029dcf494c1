#include "MoniDlg.h"

#include "platform/Paths.h"
#include "platform/Text.h"
#include "ui_MoniDlg.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QMimeData>
#include <QUrl>

namespace muralto {

TFolderMoniter1::TFolderMoniter1(QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::TFolderMoniter1>()) {
    ui_->setupUi(this);
    ChooseFolder = [](QWidget* owner) {
        return QFileDialog::getExistingDirectory(owner, "フォルダの選択");
    };
    for (int page = 0; page < 3; ++page) {
        TCustomFileBuffer& buffer = BufferOf(page);
        for (int i = 0; i < buffer.FolderCount(); ++i)
            List(page)->addItem(QString::fromStdString(buffer.Folders(i)));
    }
    const std::array<QPushButton*, 3> adds{ui_->WallAdd, ui_->SoundAdd, ui_->TextureAdd};
    const std::array<QPushButton*, 3> deletes{ui_->WallDelete, ui_->SoundDelete,
                                              ui_->TextureDelete};
    for (int page = 0; page < 3; ++page) {
        connect(adds[size_t(page)], &QPushButton::clicked, this, [this, page] {
            const QString folder = ChooseFolder(this);
            if (!folder.isEmpty())
                AddFolder(page, folder.toStdString());
        });
        connect(deletes[size_t(page)], &QPushButton::clicked, this,
                [this, page] { DeleteSelected(page); });
    }
    // Drops reach the list or its viewport, whichever Qt hands them to.
    for (QWidget* target : {static_cast<QWidget*>(ui_->WallList), ui_->WallList->viewport()}) {
        target->setAcceptDrops(true);
        target->installEventFilter(this);
    }
}

TFolderMoniter1::~TFolderMoniter1() = default;

QListWidget* TFolderMoniter1::List(int page) const {
    return page == 0 ? ui_->WallList : page == 1 ? ui_->SoundList : ui_->TextureList;
}

TCustomFileBuffer& TFolderMoniter1::BufferOf(int page) const {
    if (page == 1)
        return WaveBuffer();
    if (page == 2)
        return TextuerBuffer();
    return WallpaperBuffer();
}

void TFolderMoniter1::AddFolder(int page, const std::string& folder) {
    QListWidget* list = List(page);
    for (int i = 0; i < list->count(); ++i)
        if (SameTextAscii(list->item(i)->text().toStdString(), folder))
            return;
    BufferOf(page).AddFolder(folder);
    list->addItem(QString::fromStdString(folder));
}

void TFolderMoniter1::DeleteSelected(int page) {
    QListWidget* list = List(page);
    TCustomFileBuffer& buffer = BufferOf(page);
    // From the last to the first, so the positions of the others stay right.
    for (int i = list->count() - 1; i >= 0; --i) {
        if (!list->item(i)->isSelected())
            continue;
        buffer.Monitoring.RemoveFolder(i);
        delete list->takeItem(i);
    }
}

void TFolderMoniter1::DropFolders(const QStringList& paths) {
    TMonitoring& monitoring = WallpaperBuffer().Monitoring;
    const bool wasActive = monitoring.Active();
    monitoring.SetActive(false);
    for (const QString& path : paths)
        if (FolderExists(path.toStdString()))
            AddFolder(0, path.toStdString());
    monitoring.SetActive(wasActive);
}

void TFolderMoniter1::Drop(const QMimeData& data) {
    QStringList paths;
    for (const QUrl& url : data.urls())
        if (url.isLocalFile())
            paths << url.toLocalFile();
    DropFolders(paths);
}

bool TFolderMoniter1::eventFilter(QObject* watched, QEvent* event) {
    if (watched != ui_->WallList && watched != ui_->WallList->viewport())
        return QDialog::eventFilter(watched, event);
    if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
        auto* drag = static_cast<QDropEvent*>(event);
        if (drag->mimeData()->hasUrls()) {
            drag->acceptProposedAction();
            return true;
        }
    } else if (event->type() == QEvent::Drop) {
        auto* drop = static_cast<QDropEvent*>(event);
        Drop(*drop->mimeData());
        drop->acceptProposedAction();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace muralto
