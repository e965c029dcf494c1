#include "LibInfodlg.h"

#include "effects/EffectList.h"

#include "SPIs.h"
#include "ui_LibInfodlg.h"

namespace muralto {

TLibInfo::TLibInfo(QWidget* parent, const QString& caption, const QStringList& lines)
    : QDialog(parent), ui_(std::make_unique<Ui::TLibInfo>()) {
    ui_->setupUi(this);
    setWindowTitle(caption);
    ui_->ListBox1->addItems(lines);
}

TLibInfo::~TLibInfo() = default;

QStringList TLibInfo::Lines() const {
    QStringList lines;
    for (int i = 0; i < ui_->ListBox1->count(); ++i)
        lines << ui_->ListBox1->item(i)->text();
    return lines;
}

QStringList SusiePluginLines() {
    QStringList lines;
    if (TSPIs* host = TSPIs::Instance())
        for (int i = 0; i < host->Count(); ++i)
            lines << QString::fromStdString(host->Items(i).Description());
    return lines;
}

void ShowSusiePlugins(QWidget* parent) {
    TLibInfo window(parent, QStringLiteral("読み込んだSusie Plug-in"), SusiePluginLines());
    window.exec();
}

QStringList EffectLibraryLines(const TEffectLibrary& library) {
    QStringList lines;
    for (int i = 0; i < library.LibraryCount(); ++i)
        lines << QString::fromStdString(library.LibraryTitle(i));
    return lines;
}

void ShowEffectLibraries(QWidget* parent) {
    TLibInfo window(parent, QStringLiteral("読み込んだEffect Library"),
                    EffectLibraryLines(EffectList().Library()));
    window.exec();
}

} // namespace muralto
