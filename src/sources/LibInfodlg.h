#pragma once
// The window listing the loaded libraries of one kind, one line each.
#include <QDialog>
#include <QStringList>

#include <memory>

namespace Ui {
class TLibInfo;
}

namespace muralto {

class TEffectLibrary;

class TLibInfo : public QDialog {
    Q_OBJECT
public:
    TLibInfo(QWidget* parent, const QString& caption, const QStringList& lines);
    ~TLibInfo() override;
    QStringList Lines() const; // what the window shows

private:
    std::unique_ptr<Ui::TLibInfo> ui_;
};

// The description of every loaded picture-loader plug-in, in load order.
QStringList SusiePluginLines();
// Shows them, modal, titled "読み込んだSusie Plug-in".
void ShowSusiePlugins(QWidget* parent);
// The information text of every loaded effect library, one per line.
QStringList EffectLibraryLines(const TEffectLibrary& library);
// Shows them, modal, titled "読み込んだEffect Library".
void ShowEffectLibraries(QWidget* parent);

} // namespace muralto
