#pragma once
// The main form: it owns the run between the data start-up and the data shutdown. Its
// start-up sequence decides between the automatic exit and the resident run, and makes
// the start-up change.
#include "platform/SingleInstance.h"

#include <QWidget>

namespace muralto {

class TMTOwner : public QWidget {
    Q_OBJECT
public:
    explicit TMTOwner(QWidget* parent = nullptr);
    ~TMTOwner() override;

    void FormCreate();
    void FormCloseQuery();
    void FormDestroy();
    // True when the start-up sequence ended the run (the automatic exit).
    bool Terminated() const { return terminated_; }
    // True when the start-up sequence ended in an error (it was shown).
    bool StartFailed() const { return startFailed_; }

private:
    void RunFormCreate();
    bool AutoExitCountdown();
    void RefreshCalendarIfDateChanged();

    InstanceWindow window_;
    bool terminated_ = false;
    bool startFailed_ = false;
    bool destroyed_ = false;
};

} // namespace muralto
