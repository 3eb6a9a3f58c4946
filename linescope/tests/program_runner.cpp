#include "program_runner.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <sys/wait.h>

namespace linescope::testing {

ScratchDir::ScratchDir()
{
    std::string tmpl = (std::filesystem::temp_directory_path() / "linescope-test-XXXXXX").string();
    if (mkdtemp(tmpl.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    path_ = tmpl;
}

ScratchDir::~ScratchDir()
{
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

void ScratchDir::write(const std::string& name, const Bytes& data) const
{
    std::ofstream out(file(name), std::ios::binary);
    out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

std::string ScratchDir::read(const std::string& name) const
{
    std::ifstream in(file(name), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool ScratchDir::exists(const std::string& name) const { return std::filesystem::exists(file(name)); }

int ScratchDir::run(const std::string& command, std::string* console, std::string* errors) const
{
    const std::string cmd = "cd " + shell_quote(path_) + " && { " + command + " ; } > .console 2> .stderr";
    int status = std::system(cmd.c_str());
    if (console != nullptr)
        *console = read(".console");
    if (errors != nullptr)
        *errors = read(".stderr");
    std::filesystem::remove(file(".console"));
    std::filesystem::remove(file(".stderr"));
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string shell_quote(const std::string& s)
{
    std::string q = "'";
    for (char c : s) {
        if (c == '\'')
            q += "'\\''";
        else
            q += c;
    }
    return q + "'";
}

} // namespace linescope::testing
