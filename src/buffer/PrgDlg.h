#pragma once
// The progress window of long registrations, checks and deletions: a two-line label, a
// small animation, a gauge and an abort button that is seen between two files.
#include "MWBuf.h"

#include <QDialog>

#include <functional>
#include <memory>

namespace Ui {
class TProgDlg;
}

namespace muralto {

// The kinds of work, each with its own animation.
enum TProgAnimation { paCopyFiles, paFindFile, paFindFolder, paDeleteFile };

class TProgDlg : public QDialog {
    Q_OBJECT
public:
    explicit TProgDlg(QWidget* parent = nullptr);
    ~TProgDlg() override;

    // Runs the work in the window's own modal loop; the work gets the callbacks that
    // report progress and carry the abort. Returns what the work returned.
    int Run(const QString& caption, TProgAnimation animation,
            const std::function<int(const TProgressEvent&, const TFolderEvent&)>& work);
    bool Cancelled() const { return cancelled_; }
    void SetAnimation(TProgAnimation animation);
    // For tests: what the window shows.
    QString LabelText() const;
    int GaugePosition() const;
    int GaugeMaximum() const;
    void Abort() { cancelled_ = true; }

private:
    std::unique_ptr<Ui::TProgDlg> ui_;
    bool cancelled_ = false;
    int result_ = 0;
};

// The entry points of the registration window and its file drops. Each runs in the
// progress window when "show progress of registration work" is set (or when asked), and
// directly otherwise; each returns at once when there is nothing to do.
void RegisterImageFiles(QWidget* parent, const std::vector<std::string>& names, int style,
                        bool setStyle, bool fromStock);
void RegisterStockFiles(QWidget* parent, const std::vector<std::string>& names, bool inDialog);
void RegisterBufferFiles(QWidget* parent, TCustomFileBuffer& buffer,
                         const std::vector<std::string>& names);
int CheckVanishedFiles(QWidget* parent);
int ScanWatchedFolders(QWidget* parent, TCustomFileBuffer& buffer);

} // namespace muralto
