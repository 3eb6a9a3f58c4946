// linescope: turns an ISDN TA event capture into a text report.
#include "session.h"

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char kTempFile[] = "LINESCOPE.TF1";

void usage()
{
    // The console is cleared first, as the utility always did; a file or
    // pipe gets the text alone.
    if (isatty(STDOUT_FILENO))
        std::fputs("\033[H\033[2J", stdout);
    std::printf("\nVarnel ISDN Event LINESCOPE Utility (Win32)          %s           %s\n\n", "Version 1.0",
                "02/19/99");
    std::fputs("usage   : linescope {[-x<probes>]} [input file] [output file]\n"
               "examples: linescope file.dat out.txt; linescope -x12 file.dat out.txt\n\n"
               "       [-x<probes>] = Exclude probe points from analysis\n"
               "            where <probes> are one or more of the following;\n"
               "                 1 = ISDN D-Channel Raw Data\n"
               "                 2 = ISDN D-Channel Q.921 Decode\n"
               "                 3 = ISDN D-Channel Q.931 Decode\n"
               "                 4 = ISDN D-Channel X.25 Decode\n"
               "                 P = ISDN Physical Layer Activation\n"
               "                 A = Analog Device Port (SLIC) Activity\n"
               "                 N = ISDN Interface PPP Control Protocol Activity\n"
               "                 D = DTE Interface PPP Control Protocol Activity\n"
               "          file.dat = Event Source\n"
               "           out.txt = Decoded Output File\n",
               stdout);
}

} // namespace

int main(int argc, char** argv)
{
    linescope::Session session;
    const char* input = nullptr;
    const char* output = nullptr;
    if (argc == 3) {
        input = argv[1];
        output = argv[2];
    } else if (argc == 4 && linescope::Probes::is_exclusion(argv[1])) {
        session.probes.exclude(argv[1]);
        input = argv[2];
        output = argv[3];
    } else {
        usage();
        return 1;
    }

    std::FILE* in = std::fopen(input, "rb");
    struct stat st {};
    // A directory opens for reading here but is no capture.
    if (in != nullptr && (fstat(fileno(in), &st) != 0 || S_ISDIR(st.st_mode))) {
        std::fclose(in);
        in = nullptr;
    }
    if (in == nullptr) {
        std::printf("Error: Could not open input file \"%s\".\n", input);
        return 1;
    }
    session.base_time = st.st_mtime;

    std::FILE* temp = std::fopen(kTempFile, "wb");
    if (temp == nullptr) {
        std::fclose(in);
        std::printf("Error: Could not create temporary file \"%s\".\n", kTempFile);
        return 1;
    }
    bool unstuffed = linescope::unstuff_file(in, temp);
    const bool read_failed = std::ferror(in) != 0;
    std::fclose(in);
    if (read_failed) {
        // A read error must not pass for the end of the capture.
        std::fclose(temp);
        std::remove(kTempFile);
        std::printf("Error: Could not read input file \"%s\".\n", input);
        return 1;
    }
    if (std::fclose(temp) != 0 || !unstuffed) {
        // A full disk must not pass for a short capture.
        std::remove(kTempFile);
        std::printf("Error: Could not write temporary file \"%s\".\n", kTempFile);
        return 1;
    }

    temp = std::fopen(kTempFile, "rb");
    std::FILE* out = std::fopen(output, "wb");
    if (temp == nullptr || out == nullptr) {
        if (temp != nullptr)
            std::fclose(temp);
        if (out != nullptr)
            std::fclose(out);
        std::printf("Error: Could not open either temp or output file. \"%s\".\n", kTempFile);
        usage();
        return 1;
    }

    bool written = false;
    {
        linescope::FileSink sink(out);
        linescope::Report report(sink);
        linescope::FileSource records(temp);
        linescope::write_report(records, session, report);
        report.flush();
        written = report.ok();
    }
    const bool temp_failed = std::ferror(temp) != 0;
    std::fclose(temp);
    if (std::fclose(out) != 0)
        written = false;
    std::remove(kTempFile);
    if (temp_failed) {
        std::printf("Error: Could not read temporary file \"%s\".\n", kTempFile);
        return 1;
    }
    if (!written) {
        std::printf("Error: Could not write output file \"%s\".\n", output);
        return 1;
    }
    std::printf("Done.\n");
    return 0;
}
