#include "processlauncher.h"

#include "process.h"

bool CProcessLauncher::Start(const std::optional<QRect> &window)
{
    window_ = window;
    ProcessHandle process = CreateProcess(commandLine_);
    if (!process)
        return false;
    closeProcess(process);
    return true;
}
