// The progress window and the watched-folder dialog, on Qt's offscreen platform.
#include "buffer/MoniDlg.h"
#include "buffer/PrgDlg.h"

#include "TestSupport.h"
#include "settings/Options.h"

#include <QApplication>
#include <QDropEvent>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>

#include <gtest/gtest.h>

#include <filesystem>

namespace muralto {
namespace {

class DialogsTest : public test::ProgramTest {
protected:
    // Saves what a window looks like when MURALTO_SCREENSHOT_DIR names a folder.
    static void Look(QWidget& window, const char* name) {
        const QString folder = qEnvironmentVariable("MURALTO_SCREENSHOT_DIR");
        if (!folder.isEmpty()) {
            window.show();
            window.grab().save(folder + "/" + name + ".png");
        }
    }
};

TEST_F(DialogsTest, AbortStopsARegistrationBetweenTwoFiles) {
    std::vector<std::string> names;
    for (int i = 0; i < 100; ++i)
        names.push_back("/pictures/" + std::to_string(1000 + i) + ".bmp");
    TProgDlg dialog;
    int seen = 0;
    dialog.Run("登録中...", paCopyFiles, [&](const TProgressEvent& progress, const TFolderEvent&) {
        WallpaperBuffer().AddFilesEx(names, 0, true, false,
                                     [&](TCustomFileBuffer& b, int total, bool& stop,
                                         const std::string& name, int index, int position) {
                                         if (++seen == 30) {
                                             Look(dialog, "progress");
                                             dialog.findChild<QPushButton*>("AbortButton")->click();
                                         }
                                         progress(b, total, stop, name, index, position);
                                     });
        return 0;
    });
    EXPECT_EQ(WallpaperBuffer().Count(), 30);
    EXPECT_EQ(dialog.GaugeMaximum(), 100);
    EXPECT_EQ(dialog.LabelText(), QString::fromStdString(names[29]));
    EXPECT_EQ(dialog.windowTitle(), "登録中...");
}

TEST_F(DialogsTest, CheckCountsTheSameWithAndWithoutTheWindow) {
    for (const bool window : {false, true}) {
        WallpaperBuffer().Clear();
        test::WriteFile(home / "kept.bmp", "x");
        for (const char* name : {"kept.bmp", "gone1.bmp", "gone2.bmp"})
            WallpaperBuffer().AddFileEx(home / name, 0, true, false);
        Setting().SetFileWindowBool(0, window);
        EXPECT_EQ(CheckVanishedFiles(nullptr), 2) << window;
        EXPECT_EQ(WallpaperBuffer().Count(), 1);
    }
}

TEST_F(DialogsTest, WatchedFolderPages) {
    namespace fs = std::filesystem;
    for (const char* f : {"a", "b", "c", "d"})
        fs::create_directories(home / f);
    WallpaperBuffer().AddFolder(home / "a");
    WaveBuffer().AddFolder(home / "b");
    TFolderMoniter1 dialog;
    Look(dialog, "folders");
    EXPECT_EQ(dialog.windowTitle(), "監視フォルダの設定");
    ASSERT_EQ(dialog.List(0)->count(), 1);
    ASSERT_EQ(dialog.List(1)->count(), 1);
    dialog.AddFolder(0, home / "A"); // the same folder in other letters: not twice
    dialog.ChooseFolder = [&](QWidget*) { return QString::fromStdString(home / "c"); };
    dialog.findChild<QPushButton*>("WallAdd")->click();
    EXPECT_EQ(WallpaperBuffer().FolderCount(), 2);

    // Dropping a file and a folder from a file manager: the folder is watched.
    test::WriteFile(home / "file.bmp", "x");
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(home / "d")),
                  QUrl::fromLocalFile(QString::fromStdString(home / "file.bmp"))});
    dialog.Drop(mime);
    EXPECT_EQ(WallpaperBuffer().FolderCount(), 3);
    EXPECT_EQ(WallpaperBuffer().Folders(2), home / "d");

    dialog.findChild<QPushButton*>("WallDelete")->click(); // nothing selected: nothing goes
    EXPECT_EQ(WallpaperBuffer().FolderCount(), 3);
    dialog.List(0)->item(0)->setSelected(true);
    dialog.List(0)->item(2)->setSelected(true);
    dialog.findChild<QPushButton*>("WallDelete")->click();
    ASSERT_EQ(WallpaperBuffer().FolderCount(), 1);
    EXPECT_EQ(WallpaperBuffer().Folders(0), home / "c");
    EXPECT_EQ(dialog.List(0)->count(), 1);
}

} // namespace
} // namespace muralto
