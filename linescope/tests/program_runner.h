// Runs the linescope programs in a scratch directory of their own.
#pragma once

#include "capture_builder.h"

#include <string>

namespace linescope::testing {

class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    void write(const std::string& name, const Bytes& data) const;
    std::string read(const std::string& name) const;
    bool exists(const std::string& name) const;

    // Runs "cd dir && command" through the shell; *console gets what it
    // wrote to standard output, *errors what it wrote to standard error.
    // Returns the exit status.
    int run(const std::string& command, std::string* console = nullptr, std::string* errors = nullptr) const;

private:
    std::string path_;
};

std::string shell_quote(const std::string& s);

} // namespace linescope::testing
