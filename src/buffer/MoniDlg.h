#pragma once
// The watched-folder dialog: one page per buffer with its watched folders, "追加" and
// "削除"; folders dropped from a file manager onto the wallpaper page are watched too.
// Changes take effect at once.
#include "MWBuf.h"

#include <QDialog>

#include <array>
#include <functional>
#include <memory>

class QListWidget;
class QMimeData;

namespace Ui {
class TFolderMoniter1;
}

namespace muralto {

class TFolderMoniter1 : public QDialog {
    Q_OBJECT
public:
    explicit TFolderMoniter1(QWidget* parent = nullptr);
    ~TFolderMoniter1() override;

    // Page 0 wallpapers, 1 sounds, 2 textures.
    QListWidget* List(int page) const;
    // "追加" with a chosen folder: watched unless the page lists it already (names
    // compared without regard to ASCII case).
    void AddFolder(int page, const std::string& folder);
    // "削除": the selected folders stop being watched.
    void DeleteSelected(int page);
    // Folders dropped on the wallpaper page.
    void DropFolders(const QStringList& paths);
    // What a drop from a file manager carries: its local folders are dropped.
    void Drop(const QMimeData& data);
    // How "追加" asks for a folder; the platform's folder dialog by default.
    std::function<QString(QWidget*)> ChooseFolder;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TCustomFileBuffer& BufferOf(int page) const;
    std::unique_ptr<Ui::TFolderMoniter1> ui_;
};

} // namespace muralto
