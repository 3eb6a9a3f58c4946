#pragma once
// The program in the exerciser's own process: the main window made and
// dropped by the exerciser, its end noted by the window's terminate hook.

#include "exerciser.h"

#include <memory>

class PortdeckDictionary;
class TcontainerFrame;

class InProcessHost : public ProgramHost {
public:
    InProcessHost();
    ~InProcessHost() override;
    QWidget *window() const override;
    bool ended() const override { return terminated_; }
    bool canRestart() const override { return true; }
    void startProgram(const QStringList &args, double timeScale) override;
    void dropProgram() override;

private:
    std::unique_ptr<PortdeckDictionary> dictionary_;
    std::unique_ptr<TcontainerFrame> frame_;
    bool terminated_ = false;
};
