#include "PrgDlg.h"

#include "settings/Options.h"
#include "ui_PrgDlg.h"

#include <QApplication>
#include <QPainter>
#include <QTimer>

namespace muralto {

namespace {

// Our own small animation: dots that run round a circle, drawn in the colour of the
// kind of work.
class BusyAnimation : public QObject {
public:
    BusyAnimation(QWidget* canvas) : canvas_(canvas) {
        canvas->installEventFilter(this);
        timer_.setInterval(80);
        connect(&timer_, &QTimer::timeout, this, [this] {
            step_ = (step_ + 1) % 12;
            canvas_->update();
        });
        timer_.start();
    }
    QColor colour = QColor(58, 110, 165);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != canvas_ || event->type() != QEvent::Paint)
            return false;
        QPainter p(canvas_);
        p.setRenderHint(QPainter::Antialiasing);
        const QPointF centre(canvas_->width() / 2.0, canvas_->height() / 2.0);
        for (int i = 0; i < 12; ++i) {
            QColor c = colour;
            c.setAlphaF(0.15 + 0.85 * ((i - step_ + 12) % 12) / 11.0);
            p.setBrush(c);
            p.setPen(Qt::NoPen);
            p.save();
            p.translate(centre);
            p.rotate(i * 30.0);
            p.drawEllipse(QPointF(0, -16), 3.5, 3.5);
            p.restore();
        }
        return true;
    }

private:
    QWidget* canvas_;
    QTimer timer_;
    int step_ = 0;
};

BusyAnimation* AnimationOf(QWidget* canvas) {
    return canvas->findChild<BusyAnimation*>(QString(), Qt::FindDirectChildrenOnly);
}

bool ShowProgress() {
    return Setting().FileWindowBool(0);
}

int RunMaybeInDialog(QWidget* parent, bool inDialog, const QString& caption,
                     TProgAnimation animation,
                     const std::function<int(const TProgressEvent&, const TFolderEvent&)>& work) {
    if (!inDialog)
        return work(nullptr, nullptr);
    TProgDlg dialog(parent);
    return dialog.Run(caption, animation, work);
}

} // namespace

TProgDlg::TProgDlg(QWidget* parent) : QDialog(parent), ui_(std::make_unique<Ui::TProgDlg>()) {
    ui_->setupUi(this);
    setWindowFlag(Qt::Tool);
    auto* animation = new BusyAnimation(ui_->Animate1);
    animation->setParent(ui_->Animate1);
    connect(ui_->AbortButton, &QPushButton::clicked, this, [this] { cancelled_ = true; });
}

TProgDlg::~TProgDlg() = default;

QString TProgDlg::LabelText() const {
    return ui_->Label1->text();
}
int TProgDlg::GaugePosition() const {
    return ui_->Gauge1->value();
}
int TProgDlg::GaugeMaximum() const {
    return ui_->Gauge1->maximum();
}

void TProgDlg::SetAnimation(TProgAnimation animation) {
    static const QColor colours[] = {QColor(58, 110, 165), QColor(70, 140, 70),
                                     QColor(170, 120, 40), QColor(170, 60, 60)};
    if (BusyAnimation* a = AnimationOf(ui_->Animate1))
        a->colour = colours[animation];
}

int TProgDlg::Run(const QString& caption, TProgAnimation animation,
                  const std::function<int(const TProgressEvent&, const TFolderEvent&)>& work) {
    setWindowTitle(caption);
    SetAnimation(animation);
    const TProgressEvent progress = [this](TCustomFileBuffer&, int total, bool& stop,
                                           const std::string& name, int, int position) {
        if (ui_->Gauge1->maximum() != total)
            ui_->Gauge1->setMaximum(total);
        ui_->Gauge1->setValue(position);
        ui_->Label1->setText(QString::fromStdString(name));
        QApplication::processEvents();
        stop = cancelled_;
    };
    const TFolderEvent folder = [this](TCustomFileBuffer&, const std::string& name) {
        SetAnimation(paFindFolder);
        ui_->Label1->setText(QString::fromStdString(name) + "内を検索中...");
        QApplication::processEvents();
    };
    QTimer::singleShot(0, this, [&] {
        repaint();
        result_ = work(progress, folder);
        accept();
    });
    exec();
    return result_;
}

void RegisterImageFiles(QWidget* parent, const std::vector<std::string>& names, int style,
                        bool setStyle, bool fromStock) {
    if (names.empty())
        return;
    RunMaybeInDialog(parent, ShowProgress(), "登録中...", paCopyFiles,
                     [&](const TProgressEvent& progress, const TFolderEvent&) {
                         WallpaperBuffer().AddFilesEx(names, style, setStyle, fromStock, progress);
                         return 0;
                     });
}

void RegisterStockFiles(QWidget* parent, const std::vector<std::string>& names, bool inDialog) {
    if (names.empty())
        return;
    RunMaybeInDialog(parent, inDialog || ShowProgress(), "登録中...", paCopyFiles,
                     [&](const TProgressEvent& progress, const TFolderEvent&) {
                         WallpaperBuffer().AddStocks(names, progress);
                         return 0;
                     });
}

void RegisterBufferFiles(QWidget* parent, TCustomFileBuffer& buffer,
                         const std::vector<std::string>& names) {
    if (names.empty())
        return;
    RunMaybeInDialog(parent, ShowProgress(), "登録中...", paCopyFiles,
                     [&](const TProgressEvent& progress, const TFolderEvent&) {
                         buffer.AddFiles(names, progress);
                         return 0;
                     });
}

int CheckVanishedFiles(QWidget* parent) {
    return RunMaybeInDialog(parent, ShowProgress(), "調査中...", paFindFile,
                            [](const TProgressEvent& progress, const TFolderEvent&) {
                                return WallpaperBuffer().FindExists(progress);
                            });
}

int ScanWatchedFolders(QWidget* parent, TCustomFileBuffer& buffer) {
    return RunMaybeInDialog(parent, ShowProgress(), "調査中...", paFindFile,
                            [&](const TProgressEvent& progress, const TFolderEvent& folder) {
                                return buffer.ScanFolders(folder, progress);
                            });
}

} // namespace muralto
