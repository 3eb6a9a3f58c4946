#include "inprocess.h"

#include "clock.h"
#include "containerframe.h"
#include "portdeckdictionary.h"

InProcessHost::InProcessHost() : dictionary_(std::make_unique<PortdeckDictionary>()) {}

InProcessHost::~InProcessHost()
{
    dropProgram();
}

QWidget *InProcessHost::window() const
{
    return frame_.get();
}

void InProcessHost::startProgram(const QStringList &args, double timeScale)
{
    tl::setTimeScale(timeScale);
    terminated_ = false;
    frame_ = std::make_unique<TcontainerFrame>(args, dictionary_.get());
    frame_->terminateApplication = [this, window = frame_.get()] {
        terminated_ = true;
        window->appTerminated = true;
    };
    frame_->createDialogs();
    frame_->show();
}

void InProcessHost::dropProgram()
{
    frame_.reset();
}
